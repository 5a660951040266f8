// The hot key editor: the 50 hot key slots, each a key, an action and (for Transmit String)
// an output string. It edits copies of the slots and writes them back only on OK, so Cancel
// leaves the configuration as it was; it is made afresh for each opening.
//
// The key box takes the key pressed in it, with Shift, Ctrl and Alt, as the slot's key; Tab,
// and Enter and Escape without modifiers, keep their dialog meaning (the hot key picker behind
// "Keystroke List..." offers those keys too).
#pragma once

#include <QDialog>

#include "setup/KeyPickerRules.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;

namespace quorvane {

class ControlTextPlainEdit;
class HotKeyBox;
class Messages;
struct SetupGlobals;

class HotKeyFrm : public QDialog {
  public:
    HotKeyFrm(SetupGlobals& g, Messages& messages, QWidget* parent = nullptr);
    ~HotKeyFrm() override;

    // The slot shown (0..49) and the working copies.
    int CurrentSlot() const { return slot_; }
    const HotKeySlots& Working() const { return working_; }

    // Puts the run-time texts (action names, picker button caption) back in the interface
    // language after the form was localized again.
    void ShowRunTimeTexts();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    enum class PickerRole { KeyList, AsciiChart };

    void ShowSlot(int slot);
    void ChooseAction(int action);
    void ShowActionControls(int action);
    void SetKey(int code);
    void ShowPickerButton(PickerRole role);
    void RunPicker();
    void OnOk();

    SetupGlobals& g_;
    HotKeySlots working_;
    int slot_ = 0;
    bool showingSlot_ = false;
    PickerRole role_ = PickerRole::KeyList;
    QGridLayout* grid_ = nullptr;
    QComboBox* slots_ = nullptr;
    QComboBox* actions_ = nullptr;
    HotKeyBox* key_ = nullptr;
    QLabel* stringLabel_ = nullptr;
    ControlTextPlainEdit* string_ = nullptr;
    QPushButton* picker_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// Shows the hot key editor modally over parent (loaded fresh each time).
void ShowHotKeyEditor(SetupGlobals& g, Messages& messages, QWidget* parent);

}  // namespace quorvane
