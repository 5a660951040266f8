// Splits a math expression into tokens, one at a time, without copying: token texts are views
// into the expression, which must outlive the tokenizer.
#pragma once

#include <cstdint>
#include <string_view>

namespace quorvane {

enum class MathTokenKind : uint8_t {
    End,         // no more text
    Number,      // a run of digits and dots
    Identifier,  // any other word: a function name
    And,
    Eqv,
    Imp,
    Mod,
    Not,
    Or,
    Xor,
    HexPrefix,     // the word "&h"
    LessEqual,     // "<="
    NotEqual,      // "<>"
    GreaterEqual,  // ">="
    ShiftRight,    // ">>", which no rule accepts
    Symbol,        // any other single character, held in symbol
};

struct MathToken {
    MathTokenKind kind = MathTokenKind::End;
    char symbol = 0;
    std::string_view text;

    bool Is(char c) const { return kind == MathTokenKind::Symbol && symbol == c; }
};

class MathTokenizer {
  public:
    explicit MathTokenizer(std::string_view text) : rest_(text) {}

    MathToken Next();

  private:
    std::string_view rest_;
};

}  // namespace quorvane
