// The operators of the field math language on dynamic values, with the classic variant rules:
// text + text joins, other arithmetic converts text with the locale's number rules, empty
// counts as 0, truth values as -1 and 0. Each returns false on a failure during evaluation
// (overflow, division by zero, text that is not a number, a value out of integer range).
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/LocaleInfo.h"
#include "engine/math/Value.h"

namespace quorvane {

enum class MathBinary : uint8_t {
    Power,
    Multiply,
    Divide,
    IntegerDivide,
    Modulo,
    Add,
    Subtract,
    Equal,
    Less,
    Greater,
    NotEqual,
    LessEqual,
    GreaterEqual,
    And,
    Or,
    Xor,
    Eqv,
    Imp,
};

// left = left <op> right.
bool ApplyMathBinary(MathBinary op, Value& left, const Value& right, const LocaleInfo& locale);

// x = -x and x = not x.
bool ApplyMathNegate(Value& x, const LocaleInfo& locale);
bool ApplyMathNot(Value& x, const LocaleInfo& locale);

// The number a value stands for where arithmetic needs one; false for text that is not a
// number in the locale's notation.
bool MathToNumber(const Value& value, const LocaleInfo& locale, double& out);

// The value with a number result of the given operand rank: 0 integer (kept 16-bit while it
// fits), 1 single precision, 2 double precision.
int MathNumberRank(const Value& value);
Value MathMakeNumber(double number, int rank);

// Rounds to an integer, halves to the nearest even one; false outside the 32-bit range.
bool MathRoundToInt32(double number, int32_t& out);

}  // namespace quorvane
