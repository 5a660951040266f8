// The record definition editor, the last step of the record structure wizard: field by field
// the input filter, the length (fixed-length fields), the format and math expressions and the
// postamble, and the record preamble with field 1. It edits working copies, written into the
// configuration only by OK. The form is made once and hidden, not destroyed, between uses.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

#include "config/SetupGlobals.h"
#include "platform/Messages.h"
#include "setup/RecordWizardRules.h"

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvane {

class AsciiChart;
class ControlTextPlainEdit;
class WizardNumericBox;

// The keystroke picker as the editor uses it (empty functions do nothing).
struct KeystrokePickerHooks {
    // One keystroke in the macro notation (code-page bytes), "" when cancelled.
    std::function<std::string(QWidget* parent)> Pick;
    // PrepareFieldEditor takes "NUL" off the picker's list; Cancel and OK put it back at the
    // top, selected.
    std::function<void()> RemoveNulEntry;
    std::function<void()> RestoreNulEntry;
};

class RecDefs : public QDialog {
    Q_OBJECT
  public:
    // chart: the ASCII chart to pick from; null means AsciiChart::Shared(g).
    RecDefs(SetupGlobals& g, Messages& messages, KeystrokePickerHooks keystrokes = {},
            AsciiChart* chart = nullptr, QWidget* parent = nullptr);

    void SetKeystrokePicker(KeystrokePickerHooks keystrokes) {
        keystrokes_ = std::move(keystrokes);
    }

    // The wizard's two display choices, made before PrepareFieldEditor: the byte counter
    // ("Bytes Defined" n "of" recordLength) and the "Previous Field"/"Next Field" buttons.
    void ShowByteCounter(bool shown, int recordLength = 0);
    void ShowNavigation(bool shown);

    // Fills the editor from the configuration, by Mode, on field 1; the wizard calls it just
    // before showing the editor.
    void PrepareFieldEditor();

    int CurrentField() const { return current_; }
    const FieldDefinitions& WorkingCopies() const { return working_; }

  public slots:
    void NextField();
    void PreviousField();
    void Ok();
    void Cancel();
    void reject() override;  // Escape and the close box are Cancel

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void BuildLayout();
    void ShowField(int p);
    void UpdateByteCounter();
    void OnLengthEdited(const QString& text);
    void OnFocusChanged(QWidget* now);
    void PickKeystroke();
    void RefuseLength(int messageId);
    void SetLabel(QLabel* label, int id);

    SetupGlobals& g_;
    Messages& messages_;
    KeystrokePickerHooks keystrokes_;
    AsciiChart* chart_;

    FieldDefinitions working_;
    FieldEditorContext context_;
    int current_ = 1;
    bool filling_ = false;
    QString lengthShown_;  // the length box's last accepted text

    QGroupBox* recordGroup_ = nullptr;
    QLabel* preambleLabel_ = nullptr;
    ControlTextPlainEdit* preamble_ = nullptr;
    QLabel* fieldName_ = nullptr;
    QLabel* bytesLabel_ = nullptr;
    QLabel* bytesDefined_ = nullptr;
    QLabel* bytesOf_ = nullptr;
    QLabel* recordLength_ = nullptr;
    QComboBox* filterTypes_ = nullptr;
    QLabel* lengthLabel_ = nullptr;
    WizardNumericBox* length_ = nullptr;
    QComboBox* fieldFormat_ = nullptr;
    QLabel* mathLabel_ = nullptr;
    QLineEdit* fieldExpression_ = nullptr;
    QGridLayout* mathGrid_ = nullptr;
    QLabel* postambleLabel_ = nullptr;
    ControlTextPlainEdit* fieldMacro_ = nullptr;
    QPushButton* previous_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* keyButton_ = nullptr;
    QPushButton* asciiButton_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    ControlTextPlainEdit* target_ = nullptr;  // the text box the pickers insert into
    bool counterShown_ = false;
    bool navigationShown_ = true;
};

}  // namespace quorvane
