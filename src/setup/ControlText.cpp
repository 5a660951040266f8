#include "setup/ControlText.h"

#include <algorithm>

namespace quorvane {

namespace {

// The stored length of the box character that begins at index.
size_t CharWidth(std::string_view value, size_t index, bool multiLine) {
    if (multiLine && value[index] == '\r' && index + 1 < value.size() && value[index + 1] == '\n')
        return 2;
    return 1;
}

struct Span {
    size_t start = 0;   // box position
    size_t length = 0;  // box characters
};

Span ClampedSelection(const ControlTextBoxState& box) {
    const size_t length = BoxLength(box.stored, box.multiLine);
    const size_t start = std::min(box.selStart, length);
    return {start, std::min(box.selLength, length - start)};
}

// Replaces the box range span by inserted (stored bytes) and records it in the edit.
ControlTextEdit Replace(const ControlTextBoxState& box, Span span, std::string_view inserted) {
    const size_t from = BoxToStored(box.stored, span.start, box.multiLine);
    const size_t to = BoxToStored(box.stored, span.start + span.length, box.multiLine);
    ControlTextEdit edit;
    edit.stored.reserve(box.stored.size() - (to - from) + inserted.size());
    edit.stored.append(box.stored.substr(0, from));
    edit.stored.append(inserted);
    edit.stored.append(box.stored.substr(to));
    edit.changed = edit.stored != box.stored;
    edit.boxStart = span.start;
    edit.boxLength = span.length;
    edit.caret = from + inserted.size();
    return edit;
}

// Nothing changes; the caret stays at the start of the selection.
ControlTextEdit Unchanged(const ControlTextBoxState& box, Span span) {
    ControlTextEdit edit;
    edit.stored = std::string(box.stored);
    edit.boxStart = span.start;
    edit.boxLength = span.length;
    edit.caret = BoxToStored(box.stored, span.start, box.multiLine);
    return edit;
}

// Replaces the selection in both the stored value and the box; the key is cancelled.
ControlTextEdit ReplaceSelection(const ControlTextBoxState& box, Span span,
                                 std::string_view inserted) {
    ControlTextEdit edit = Replace(box, span, inserted);
    edit.replacement = ToDisplayText(inserted);
    edit.cancelled = true;
    return edit;
}

std::string SelectedBytes(const ControlTextBoxState& box, Span span) {
    const size_t from = BoxToStored(box.stored, span.start, box.multiLine);
    const size_t to = BoxToStored(box.stored, span.start + span.length, box.multiLine);
    return std::string(box.stored.substr(from, to - from));
}

}  // namespace

std::string ToDisplayText(std::string_view value) {
    std::string out(value);
    std::replace(out.begin(), out.end(), '\0', kDisplayedNul);
    return out;
}

size_t BoxLength(std::string_view value, bool multiLine) {
    return StoredToBox(value, value.size(), multiLine);
}

size_t BoxToStored(std::string_view value, size_t boxPos, bool multiLine) {
    size_t index = 0;
    for (size_t pos = 0; pos < boxPos && index < value.size(); ++pos)
        index += CharWidth(value, index, multiLine);
    return index;
}

size_t StoredToBox(std::string_view value, size_t index, bool multiLine) {
    index = std::min(index, value.size());
    size_t pos = 0;
    for (size_t i = 0; i < index; ++pos) {
        const size_t width = CharWidth(value, i, multiLine);
        if (i + width > index) break;  // inside a CR LF pair
        i += width;
    }
    return pos;
}

ControlTextEdit ControlTextKeyDown(const ControlTextBoxState& box, ControlKey key, int modifiers,
                                   std::string_view clipboard) {
    const Span sel = ClampedSelection(box);
    const bool shift = (modifiers & kControlShift) != 0;
    const bool ctrl = (modifiers & kControlCtrl) != 0;
    const bool alt = (modifiers & kControlAlt) != 0;
    const size_t length = BoxLength(box.stored, box.multiLine);

    switch (key) {
        case ControlKey::Delete:
            if (ctrl && sel.length == 0) {
                // Everything from the caret on goes, in the box as in the stored value; the
                // box's own Ctrl+Delete would take one word only.
                return ReplaceSelection(box, {sel.start, length - sel.start}, "");
            }
            if (shift && sel.length > 0) {
                ControlTextEdit edit = ReplaceSelection(box, sel, "");
                edit.clipboard = SelectedBytes(box, sel);
                edit.beep = true;
                return edit;
            }
            if (shift) {
                // Without a selection there is nothing to cut: nothing changes on either side.
                ControlTextEdit edit = Unchanged(box, sel);
                edit.cancelled = true;
                edit.beep = sel.start > 0;
                return edit;
            }
            if (sel.length > 0) return Replace(box, sel, "");
            if (sel.start < length) return Replace(box, {sel.start, 1}, "");
            return Unchanged(box, sel);
        case ControlKey::Backspace:
            if (alt) {
                ControlTextEdit edit = Unchanged(box, sel);
                edit.cancelled = true;
                return edit;
            }
            return Unchanged(box, sel);
        case ControlKey::Enter:
            return ReplaceSelection(box, sel, "\r\n");
        case ControlKey::Insert:
            if (ctrl) {
                ControlTextEdit edit = Unchanged(box, sel);
                edit.cancelled = true;
                edit.clipboard = SelectedBytes(box, sel);
                return edit;
            }
            if (shift) return ReplaceSelection(box, sel, clipboard);
            return Unchanged(box, sel);
        case ControlKey::Other:
            break;
    }
    return Unchanged(box, sel);
}

ControlTextEdit ControlTextKeyPress(const ControlTextBoxState& box, int code) {
    const Span sel = ClampedSelection(box);
    if (code == 8) {
        if (sel.length > 0) return Replace(box, sel, "");
        if (sel.start > 0) return Replace(box, {sel.start - 1, 1}, "");
        return Unchanged(box, sel);
    }
    if (code >= 32 && code <= 255) {
        const char c = static_cast<char>(code);
        return Replace(box, sel, std::string_view(&c, 1));
    }
    // Other control characters reach a stored value only through the chart or the internal
    // clipboard.
    ControlTextEdit edit = Unchanged(box, sel);
    edit.cancelled = true;
    return edit;
}

ControlTextEdit InsertPicked(const ControlTextBoxState& box, std::string_view picked) {
    return ReplaceSelection(box, ClampedSelection(box), picked);
}

}  // namespace quorvane
