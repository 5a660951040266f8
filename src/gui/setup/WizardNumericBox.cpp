#include "gui/setup/WizardNumericBox.h"

#include <QKeyEvent>
#include <QTimer>

#include "platform/Messages.h"
#include "setup/RecordWizardRules.h"

namespace quorvane {

WizardNumericBox::WizardNumericBox(Messages& messages, bool beepOnRefused, QWidget* parent)
    : QLineEdit(parent), messages_(messages), beep_(beepOnRefused) {
    setAcceptDrops(false);
    // textChanged comes after textEdited, and a taken-back edit emits it with the refused text:
    // the box's own text is what counts.
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (IsAllDigits(text().toStdString())) digits_ = text();
    });
    // A paste or a drop is not typed: what it brought in is judged as a whole.
    connect(this, &QLineEdit::textEdited, this, [this](const QString& edited) {
        if (!IsAllDigits(edited.toStdString())) {
            if (beep_) messages_.Beep();
            const QString restored = digits_;
            setText(restored);
            return;
        }
        digits_ = edited;
        emit digitsEdited(edited);
    });
}

void WizardNumericBox::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    // Enter, Escape, Tab and the Ctrl editing keys keep their meaning; only characters that
    // would be typed into the box are judged.
    const bool typed = !text.isEmpty() && (text.front() == '\b' ||
                                           (text.front() >= ' ' && text.front() != QChar(0x7f)));
    const bool withCommand = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (typed && !withCommand && !IsNumericBoxCharacter(text.front().unicode())) {
        if (beep_) messages_.Beep();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void WizardNumericBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // After the click that brought the focus has placed the caret.
    QTimer::singleShot(0, this, [this] {
        if (hasFocus()) selectAll();
    });
}

}  // namespace quorvane
