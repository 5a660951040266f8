// The numeric boxes of the record structure wizard and the editor's length box: only digits
// and Backspace are typed in (anything else is dropped, with a beep where the box asks for
// one), a text put in otherwise that is not all digits is taken back, and getting the focus
// selects the whole text.
#pragma once

#include <QLineEdit>
#include <QString>

namespace quorvane {

class Messages;

class WizardNumericBox : public QLineEdit {
    Q_OBJECT
  public:
    WizardNumericBox(Messages& messages, bool beepOnRefused, QWidget* parent = nullptr);

  signals:
    // The user changed the text, and it holds only digits.
    void digitsEdited(const QString& text);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    Messages& messages_;
    bool beep_;
    QString digits_;  // the last text that was all digits
};

}  // namespace quorvane
