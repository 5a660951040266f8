// The form both key pickers share: a list of keys, the Shift, Ctrl and Alt check boxes, OK and
// Cancel. The check boxes are cleared whenever the picker is shown and after a pick. OK (the
// default button, also Enter) or a double-click on an entry picks it and sets
// g.ConfigChanged; Cancel and Escape pick nothing.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QListWidget;
class QPushButton;

namespace quorvane {

struct SetupGlobals;

class KeyPickerForm : public QDialog {
  public:
    // The modifier flags (kHotKeyShift | kHotKeyCtrl | kHotKeyAlt) the check boxes hold now.
    int Modifiers() const;
    int CurrentRow() const;
    void SetCurrentRow(int row);

    void reject() override;  // Cancel, Escape and the close box pick nothing

  protected:
    KeyPickerForm(SetupGlobals& g, const char* name, int titleId, int okId, int cancelId,
                  const std::vector<std::string>& entries);

    // Runs the picker modally over parent (may be null); true when an entry was picked.
    bool RunModal(QWidget* parent);
    // Takes the pick of row with the modifiers into the subclass's result.
    virtual void TakePick(int row, int modifiers) = 0;
    virtual void ClearPick() = 0;
    // The exact bytes of the entry in row ("" outside the list).
    std::string EntryAt(int row) const;
    // A list item for an entry (code-page bytes).
    static void AddEntry(QListWidget* list, int row, const std::string& entry);

    SetupGlobals* g_;  // the configuration of the last Shared() call
    QListWidget* list_;

  private:
    void Choose();
    void ClearCheckBoxes();

    QCheckBox* shift_;
    QCheckBox* ctrl_;
    QCheckBox* alt_;
};

}  // namespace quorvane
