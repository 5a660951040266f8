#include "delivery/KeyMacroParser.h"

#include "delivery/KeyNameToVk.h"

namespace quorvane {

namespace {

constexpr int kShift = 16, kCtrl = 17, kAlt = 18;

class Parser {
  public:
    Parser(std::string_view text, KeyLayout& layout, const KeyMacroSyntax& syntax,
           KeyEventList& out)
        : text_(text), layout_(layout), syntax_(syntax), out_(out) {}

    int ParseAll() {
        while (pos_ < text_.size()) {
            if (int error = ParseElement()) return error;
        }
        return kKeyMacroOk;
    }

  private:
    int ParseElement() {
        if (pos_ >= text_.size()) return kKeyMacroOk;  // a modifier at the very end
        if (depth_ >= kMaxKeyMacroNesting) return kKeyMacroTooLong;
        ++depth_;
        int error = ParseElementAt(text_[pos_]);
        --depth_;
        return error;
    }

    int ParseElementAt(char c) {
        switch (c) {
            case '{':
                return ParseBrace();
            case '(':
                return ParseGroup();
            case '~':
                ++pos_;
                return Emit(13);
            case '+':
                ++pos_;
                return ParseModified(kShift);
            case '^':
                ++pos_;
                return ParseModified(kCtrl);
            case '%':
                ++pos_;
                return ParseModified(kAlt);
            default: {
                ++pos_;
                int code = KeyCodeOfCharacter(static_cast<unsigned char>(c), layout_);
                return code == 0 ? kKeyMacroOk : EmitKey(code, 1);
            }
        }
    }

    int ParseGroup() {
        ++pos_;
        for (;;) {
            if (pos_ >= text_.size()) return kKeyMacroUnclosedGroup;
            if (text_[pos_] == ')') {
                ++pos_;
                return kKeyMacroOk;
            }
            if (int error = ParseElement()) return error;
        }
    }

    // A modifier already held by an enclosing prefix is not toggled again: the player flips
    // the flag on every entry, so a second toggle would release it ("+(Ab)" must stay "AB").
    int ParseModified(int modifier) {
        bool& held = held_[modifier - kShift];
        if (held) return ParseElement();
        if (int error = Emit(modifier)) return error;
        held = true;
        int error = ParseElement();
        held = false;
        if (error) return error;
        return Emit(modifier);
    }

    int ParseBrace() {
        const size_t open = pos_;
        int code = 0;
        long long count = 1;
        size_t stop;
        if (open + 1 < text_.size() && text_[open + 1] == '}') {
            code = KeyNameToVk("}", layout_);
            stop = open + 2;
        } else {
            stop = text_.find_first_of("} ", open + 1);
            if (stop == std::string_view::npos) return kKeyMacroUnclosedBrace;
            std::string_view name = text_.substr(open + 1, stop - open - 1);
            if (syntax_.braceSpaceIsSpace && name.empty() && text_[stop] == ' ' &&
                stop + 1 < text_.size() && text_[stop + 1] == '}') {
                code = KeyCodeOfCharacter(' ', layout_);
                ++stop;
            } else {
                code = KeyNameToVk(name, layout_);
                if (code == 0) return kKeyMacroUnknownKey;
                if (text_[stop] == ' ') {
                    count = LeadingInteger(text_.substr(stop + 1));
                    if (count == 0) return kKeyMacroBadCount;
                    // A negative count would repeat until the list is full.
                    if (count < 0 || count > static_cast<long long>(kMaxKeyEvents)) {
                        return kKeyMacroTooLong;
                    }
                }
            }
        }
        if (int error = EmitKey(code, static_cast<int>(count))) return error;
        size_t close = text_.find('}', stop);
        if (close == std::string_view::npos) return kKeyMacroUnclosedBrace;
        pos_ = close + 1;
        return kKeyMacroOk;
    }

    int EmitKey(int code, int count) {
        const bool wrap = (code & kShiftBit) != 0 && !held_[0];
        const auto entry = static_cast<uint16_t>(code & ~kShiftBit);
        if (wrap) {
            if (int error = Emit(kShift)) return error;
        }
        for (int i = 0; i < count; ++i) {
            if (int error = Emit(entry)) return error;
        }
        return wrap ? Emit(kShift) : kKeyMacroOk;
    }

    int Emit(uint16_t entry) { return out_.Add(entry) ? kKeyMacroOk : kKeyMacroTooLong; }

    std::string_view text_;
    KeyLayout& layout_;
    const KeyMacroSyntax& syntax_;
    KeyEventList& out_;
    size_t pos_ = 0;
    int depth_ = 0;
    bool held_[3] = {false, false, false};  // Shift, Ctrl, Alt held by an enclosing prefix
};

}  // namespace

long long LeadingInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr long long kLimit = 1000000000000LL;
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < kLimit) value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

int ParseKeyMacro(std::string_view text, KeyLayout& layout, const KeyMacroSyntax& syntax,
                  KeyEventList& out) {
    out.Clear();
    return Parser(text, layout, syntax, out).ParseAll();
}

}  // namespace quorvane
