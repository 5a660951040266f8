#include "engine/math/MathTokenizer.h"
#include "strings/AsciiCase.h"

namespace quorvane {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsWordStart(char c) {
    return IsLetter(c) || c == '_' || c == '&';
}
bool IsWordChar(char c) {
    return IsWordStart(c) || IsDigit(c);
}

// The keyword a word stands for, compared without regard to letter case.
MathTokenKind WordKind(std::string_view word) {
    struct Keyword {
        std::string_view name;
        MathTokenKind kind;
    };
    static constexpr Keyword kKeywords[] = {
        {"and", MathTokenKind::And}, {"eqv", MathTokenKind::Eqv},      {"imp", MathTokenKind::Imp},
        {"mod", MathTokenKind::Mod}, {"not", MathTokenKind::Not},      {"or", MathTokenKind::Or},
        {"xor", MathTokenKind::Xor}, {"&h", MathTokenKind::HexPrefix},
    };
    for (const Keyword& k : kKeywords) {
        if (AsciiEqualsNoCase(k.name, word)) return k.kind;
    }
    return MathTokenKind::Identifier;
}

}  // namespace

MathToken MathTokenizer::Next() {
    size_t i = 0;
    while (i < rest_.size() &&
           (rest_[i] == ' ' || rest_[i] == '\t' || rest_[i] == '\r' || rest_[i] == '\n')) {
        ++i;
    }
    rest_.remove_prefix(i);
    MathToken token;
    if (rest_.empty()) return token;

    const char c = rest_[0];
    size_t length = 1;
    if (IsDigit(c) || c == '.') {
        while (length < rest_.size() && (IsDigit(rest_[length]) || rest_[length] == '.')) {
            ++length;
        }
        token.kind = MathTokenKind::Number;
    } else if (IsWordStart(c)) {
        while (length < rest_.size() && IsWordChar(rest_[length])) ++length;
        token.kind = WordKind(rest_.substr(0, length));
    } else if ((c == '<' || c == '>') && rest_.size() > 1 && (rest_[1] == '=' || rest_[1] == '>')) {
        length = 2;
        if (c == '<') {
            token.kind = rest_[1] == '=' ? MathTokenKind::LessEqual : MathTokenKind::NotEqual;
        } else {
            token.kind = rest_[1] == '=' ? MathTokenKind::GreaterEqual : MathTokenKind::ShiftRight;
        }
    } else {
        token.kind = MathTokenKind::Symbol;
        token.symbol = c;
    }
    token.text = rest_.substr(0, length);
    rest_.remove_prefix(length);
    return token;
}

}  // namespace quorvane
