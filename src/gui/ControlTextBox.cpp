#include "gui/ControlTextBox.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTextCursor>

#include <algorithm>
#include <functional>
#include <vector>

#include "config/CodePage.h"
#include "gui/LocalizeForm.h"
#include "platform/Messages.h"
#include "strings/StringIds.h"

namespace quorvane {

namespace {

ControlKey RuleKey(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Delete:
            return ControlKey::Delete;
        case Qt::Key_Insert:
            return ControlKey::Insert;
        case Qt::Key_Backspace:
            return ControlKey::Backspace;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return ControlKey::Enter;
        default:
            return ControlKey::Other;
    }
}

int RuleModifiers(Qt::KeyboardModifiers m) {
    return (m.testFlag(Qt::ShiftModifier) ? kControlShift : 0) |
           (m.testFlag(Qt::ControlModifier) ? kControlCtrl : 0) |
           (m.testFlag(Qt::AltModifier) ? kControlAlt : 0);
}

// Keys that only move the caret or the selection: the box handles them itself.
bool MovesOnly(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Meta:
        case Qt::Key_AltGr:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
            return true;
        default:
            return false;
    }
}

constexpr int kNoCharacter = -1;
constexpr int kNotInCodePage = -2;

// The character codes a key event types, as a key press of the old desktop would report
// them: Ctrl+letter is its control code, Ctrl or Alt with anything else types nothing, and
// Backspace is 8 whatever the modifiers.
std::vector<int> TypedCodes(const QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers m = event->modifiers();
    if (key == Qt::Key_Backspace) return {8};
    const bool ctrl = m.testFlag(Qt::ControlModifier) || m.testFlag(Qt::MetaModifier);
    if (ctrl && !m.testFlag(Qt::AltModifier)) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z) return {key - Qt::Key_A + 1};
        const QString text = event->text();
        if (!text.isEmpty() && text.at(0).unicode() < 32) return {text.at(0).unicode()};
        return {kNoCharacter};
    }
    if (m.testFlag(Qt::AltModifier)) return {kNoCharacter};
    std::vector<int> codes;
    for (const QChar c : event->text()) {
        unsigned char byte = 0;
        if (c.unicode() < 32)
            codes.push_back(c.unicode());
        else if (CodePage::FromUnicode(c.unicode(), byte))
            codes.push_back(byte);
        else
            codes.push_back(kNotInCodePage);
    }
    if (codes.empty()) codes.push_back(kNoCharacter);
    return codes;
}

QString BoxText(const std::string& value) {
    return QString::fromStdString(CodePage::ToUtf8(ToDisplayText(value)));
}

}  // namespace

ControlTextBox::ControlTextBox(Messages& messages, bool multiLine)
    : messages_(messages), multiLine_(multiLine) {}

std::string& ControlTextBox::InternalClipboard() {
    static std::string clipboard;
    return clipboard;
}

void ControlTextBox::SetValue(const std::string& value) {
    value_ = value;
    ShowValue(0);
}

void ControlTextBox::InsertPicked(const std::string& picked) {
    if (picked.empty()) return;
    Apply(quorvane::InsertPicked(State(), picked));
    Widget()->setFocus(Qt::OtherFocusReason);
}

void ControlTextBox::RunKey(ControlKey key, int modifiers) {
    Apply(ControlTextKeyDown(State(), key, modifiers, InternalClipboard()));
}

QMenu* ControlTextBox::CreateContextMenu() {
    auto* menu = new QMenu(Widget());
    const bool selection = SelectionLength() > 0;
    const auto add = [&](int id, bool enabled, std::function<void()> run) {
        QAction* action = menu->addAction(UiText(id));
        action->setEnabled(enabled);
        QObject::connect(action, &QAction::triggered, Widget(), run);
    };
    add(kStrControlTextCut, selection, [this] { RunKey(ControlKey::Delete, kControlShift); });
    add(kStrControlTextCopy, selection, [this] { RunKey(ControlKey::Insert, kControlCtrl); });
    add(kStrControlTextPaste, !InternalClipboard().empty(),
        [this] { RunKey(ControlKey::Insert, kControlShift); });
    add(kStrControlTextDelete, selection, [this] { RunKey(ControlKey::Delete, 0); });
    menu->addSeparator();
    add(kStrControlTextSelectAll, !value_.empty(), [this] { SelectAllText(); });
    return menu;
}

ControlTextBoxState ControlTextBox::State() const {
    return {value_, SelectionStart(), SelectionLength(), multiLine_};
}

void ControlTextBox::Apply(const ControlTextEdit& edit) {
    if (edit.clipboard) InternalClipboard() = *edit.clipboard;
    if (edit.beep) messages_.Beep();
    if (!edit.changed && !edit.replacement) return;
    value_ = edit.stored;
    ShowValue(edit.caret);
}

void ControlTextBox::ShowValue(size_t caretIndex) {
    showing_ = true;
    ShowText(BoxText(value_), static_cast<int>(StoredToBox(value_, caretIndex, multiLine_)));
    showing_ = false;
}

void ControlTextBox::TextChangedInBox() {
    if (showing_) return;
    ShowValue(BoxToStored(value_, static_cast<size_t>(std::max(0, Caret())), multiLine_));
}

ControlTextBox::KeyOutcome ControlTextBox::HandleKey(QKeyEvent* event) {
    const ControlKey key = RuleKey(event->key());
    const ControlTextEdit down =
        ControlTextKeyDown(State(), key, RuleModifiers(event->modifiers()), InternalClipboard());
    Apply(down);
    // Delete's own deletion is the one the rule has already made.
    if (down.cancelled || down.changed || key == ControlKey::Delete) return KeyOutcome::Handled;

    const std::vector<int> codes = TypedCodes(event);
    if (codes.front() == kNoCharacter) {
        return MovesOnly(event->key()) ? KeyOutcome::ToBox : KeyOutcome::ToParent;
    }
    bool cancelledOnly = true;
    for (const int code : codes) {
        if (code == kNotInCodePage) {
            // The stored value cannot hold it, so the box must not show it either.
            messages_.Beep();
            cancelledOnly = false;
            continue;
        }
        const ControlTextEdit press = ControlTextKeyPress(State(), code);
        Apply(press);
        cancelledOnly = cancelledOnly && press.cancelled;
    }
    // A refused control character (Escape among them) is left to the dialog.
    return cancelledOnly ? KeyOutcome::ToParent : KeyOutcome::Handled;
}

// --- single line ---

ControlTextLineEdit::ControlTextLineEdit(Messages& messages, QWidget* parent)
    : QLineEdit(parent), ControlTextBox(messages, false) {
    setAcceptDrops(false);
    setDragEnabled(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    connect(this, &QLineEdit::textChanged, this, [this] { TextChangedInBox(); });
}

void ControlTextLineEdit::keyPressEvent(QKeyEvent* event) {
    switch (HandleKey(event)) {
        case KeyOutcome::Handled:
            event->accept();
            break;
        case KeyOutcome::ToBox:
            QLineEdit::keyPressEvent(event);
            break;
        case KeyOutcome::ToParent:
            event->ignore();
            break;
    }
}

void ControlTextLineEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void ControlTextLineEdit::focusOutEvent(QFocusEvent* event) {
    // The line edit drops its selection when a button takes the focus; the chart's pick must
    // still replace it.
    const int start = selectionStart();
    const int length = selectionLength();
    QLineEdit::focusOutEvent(event);
    if (start >= 0 && length > 0 && !hasSelectedText()) setSelection(start, length);
}

void ControlTextLineEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {  // no selection paste
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

size_t ControlTextLineEdit::SelectionStart() const {
    return static_cast<size_t>(hasSelectedText() ? selectionStart() : cursorPosition());
}

size_t ControlTextLineEdit::SelectionLength() const {
    return static_cast<size_t>(hasSelectedText() ? selectionLength() : 0);
}

void ControlTextLineEdit::ShowText(const QString& text, int caret) {
    setText(text);
    setCursorPosition(caret);
}

// --- multi-line ---

ControlTextPlainEdit::ControlTextPlainEdit(Messages& messages, QWidget* parent)
    : QPlainTextEdit(parent), ControlTextBox(messages, true) {
    setAcceptDrops(false);
    setTabChangesFocus(true);
    setUndoRedoEnabled(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    connect(this, &QPlainTextEdit::textChanged, this, [this] { TextChangedInBox(); });
}

void ControlTextPlainEdit::keyPressEvent(QKeyEvent* event) {
    switch (HandleKey(event)) {
        case KeyOutcome::Handled:
            event->accept();
            break;
        case KeyOutcome::ToBox:
            QPlainTextEdit::keyPressEvent(event);
            break;
        case KeyOutcome::ToParent:
            event->ignore();
            break;
    }
}

void ControlTextPlainEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void ControlTextPlainEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QPlainTextEdit::mouseReleaseEvent(event);
}

bool ControlTextPlainEdit::canInsertFromMimeData(const QMimeData*) const {
    return false;
}

void ControlTextPlainEdit::insertFromMimeData(const QMimeData*) {}

size_t ControlTextPlainEdit::SelectionStart() const {
    return static_cast<size_t>(textCursor().selectionStart());
}

size_t ControlTextPlainEdit::SelectionLength() const {
    const QTextCursor c = textCursor();
    return static_cast<size_t>(c.selectionEnd() - c.selectionStart());
}

void ControlTextPlainEdit::ShowText(const QString& text, int caret) {
    setPlainText(text);
    QTextCursor c = textCursor();
    c.setPosition(std::min(caret, document()->characterCount() - 1));
    setTextCursor(c);
}

}  // namespace quorvane
