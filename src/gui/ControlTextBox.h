// Text boxes for settings that may hold any byte 0..255. Each box keeps the exact stored
// value and shows its display form (NUL as character 255); every key goes through the
// control-character rules, and the box is redrawn from the stored value after each edit, so
// the two cannot drift apart.
//
// The system clipboard is not used: Shift+Delete and Ctrl+Insert fill the internal
// clipboard, one per process, and Shift+Insert pastes it; the context menu's Cut, Copy,
// Paste and Delete are those same keys. Ctrl+X, Ctrl+C and Ctrl+V are Ctrl+letter keys and
// insert nothing. Drag and drop, undo and middle-click paste are off, and any change the box
// makes on its own is put back.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

#include <cstddef>
#include <string>

#include "setup/ControlText.h"

class QKeyEvent;
class QMenu;

namespace quorvane {

class Messages;

class ControlTextBox {
  public:
    virtual ~ControlTextBox() = default;
    ControlTextBox(const ControlTextBox&) = delete;
    ControlTextBox& operator=(const ControlTextBox&) = delete;

    // The stored value (code-page bytes) and the box shows its display form; caret at 0.
    void SetValue(const std::string& value);
    const std::string& Value() const { return value_; }
    // Puts a pick of the ASCII chart (a character, or an extra entry's text) in place of the
    // box's selection and gives the box the focus. An empty pick changes nothing.
    void InsertPicked(const std::string& picked);

    bool MultiLine() const { return multiLine_; }
    // The context menu (Cut, Copy, Paste, Delete, Select All) for the box's selection now;
    // the caller owns it.
    QMenu* CreateContextMenu();
    virtual QWidget* Widget() = 0;

    // The internal clipboard shared by every box of the process: exact bytes.
    static std::string& InternalClipboard();

  protected:
    ControlTextBox(Messages& messages, bool multiLine);

    enum class KeyOutcome { Handled, ToBox, ToParent };
    KeyOutcome HandleKey(QKeyEvent* event);
    // Called when the box's text changed: a change the rules did not make is put back.
    void TextChangedInBox();

    // The selection in box characters (start is the caret without a selection).
    virtual size_t SelectionStart() const = 0;
    virtual size_t SelectionLength() const = 0;
    // Replaces the whole box text and puts the caret at box position caret.
    virtual void ShowText(const QString& text, int caret) = 0;
    virtual int Caret() const = 0;
    virtual void SelectAllText() = 0;

  private:
    ControlTextBoxState State() const;
    void Apply(const ControlTextEdit& edit);
    void RunKey(ControlKey key, int modifiers);
    void ShowValue(size_t caretIndex);

    Messages& messages_;
    bool multiLine_;
    std::string value_;
    bool showing_ = false;
};

// The single-line box.
class ControlTextLineEdit : public QLineEdit, public ControlTextBox {
  public:
    explicit ControlTextLineEdit(Messages& messages, QWidget* parent = nullptr);
    QWidget* Widget() override { return this; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    size_t SelectionStart() const override;
    size_t SelectionLength() const override;
    void ShowText(const QString& text, int caret) override;
    int Caret() const override { return cursorPosition(); }
    void SelectAllText() override { selectAll(); }
};

// The multi-line box: a stored CR LF pair, lone CR or lone LF each show as a line break.
// Tab moves the focus on.
class ControlTextPlainEdit : public QPlainTextEdit, public ControlTextBox {
  public:
    explicit ControlTextPlainEdit(Messages& messages, QWidget* parent = nullptr);
    QWidget* Widget() override { return this; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    size_t SelectionStart() const override;
    size_t SelectionLength() const override;
    void ShowText(const QString& text, int caret) override;
    int Caret() const override { return textCursor().position(); }
    void SelectAllText() override { selectAll(); }
};

}  // namespace quorvane
