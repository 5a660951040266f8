#include "engine/math/MathOperations.h"

#include <cfloat>
#include <cmath>

#include "engine/math/MathNumberReader.h"

namespace quorvane {

bool MathToNumber(const Value& value, const LocaleInfo& locale, double& out) {
    switch (value.kind) {
        case Value::Kind::Empty:
            out = 0;
            return true;
        case Value::Kind::Text:
            return ParseLocaleNumber(value.text, locale, out);
        default:
            out = value.number;
            return true;
    }
}

int MathNumberRank(const Value& value) {
    switch (value.kind) {
        case Value::Kind::Empty:
        case Value::Kind::Bool:
        case Value::Kind::Int16:
            return 0;
        case Value::Kind::Single:
            return 1;
        default:
            return 2;
    }
}

Value MathMakeNumber(double number, int rank) {
    // Integer and single results widen instead of overflowing, so that asc(a) * asc(b) or a
    // large rnd product stay exact.
    if (rank == 0 && number >= -32768 && number <= 32767) {
        return Value::Integer16(static_cast<int>(number));
    }
    if (rank == 1 && std::fabs(number) <= FLT_MAX) {
        return Value::SingleNumber(static_cast<float>(number));
    }
    return Value::Number(number);
}

bool MathRoundToInt32(double number, int32_t& out) {
    const double r = std::nearbyint(number);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return false;
    out = static_cast<int32_t>(r);
    return true;
}

namespace {

bool IsSmallInteger(const Value& v) {
    return MathNumberRank(v) == 0;
}

bool Arithmetic(MathBinary op, Value& left, const Value& right, const LocaleInfo& locale) {
    double a, b;
    if (!MathToNumber(left, locale, a) || !MathToNumber(right, locale, b)) return false;
    int rank = std::max(MathNumberRank(left), MathNumberRank(right));
    double r = 0;
    switch (op) {
        case MathBinary::Power:
            r = std::pow(a, b);
            rank = 2;
            break;
        case MathBinary::Multiply:
            r = a * b;
            break;
        case MathBinary::Divide:
            if (b == 0) return false;
            r = a / b;
            if (rank == 0) rank = 2;
            break;
        case MathBinary::IntegerDivide:
        case MathBinary::Modulo: {
            a = std::nearbyint(a);
            b = std::nearbyint(b);
            if (b == 0) return false;
            const double remainder = std::fmod(a, b);  // exact, with the dividend's sign
            r = op == MathBinary::Modulo ? remainder : (a - remainder) / b;
            if (r == 0) r = 0;  // no negative zero
            rank = rank == 0 ? 0 : 2;
            break;
        }
        case MathBinary::Add:
            r = a + b;
            break;
        default:  // Subtract
            r = a - b;
            break;
    }
    if (!std::isfinite(r)) return false;  // overflow, or a power without a real value
    left = MathMakeNumber(r, rank);
    return true;
}

bool Compare(MathBinary op, Value& left, const Value& right) {
    double b = 0;
    if (right.kind == Value::Kind::Text) {
        if (!ReadLeadingNumber(right.text, b)) return false;
    } else if (right.kind != Value::Kind::Empty) {
        b = right.number;
    }
    // A text left side ranks above every number, whatever it holds.
    const bool textLeft = left.kind == Value::Kind::Text;
    const double a = left.kind == Value::Kind::Empty ? 0 : left.number;
    bool result = false;
    switch (op) {
        case MathBinary::Equal:
            result = !textLeft && a == b;
            break;
        case MathBinary::Less:
            result = !textLeft && a < b;
            break;
        case MathBinary::Greater:
            result = textLeft || a > b;
            break;
        case MathBinary::NotEqual:
            result = textLeft || a != b;
            break;
        case MathBinary::LessEqual:
            result = !textLeft && a <= b;
            break;
        default:  // GreaterEqual
            result = textLeft || a >= b;
            break;
    }
    left = Value::Truth(result);
    return true;
}

bool Bitwise(MathBinary op, Value& left, const Value& right, const LocaleInfo& locale) {
    double a, b;
    int32_t x, y;
    if (!MathToNumber(left, locale, a) || !MathToNumber(right, locale, b) ||
        !MathRoundToInt32(a, x) || !MathRoundToInt32(b, y)) {
        return false;
    }
    const uint32_t ux = static_cast<uint32_t>(x), uy = static_cast<uint32_t>(y);
    uint32_t r = 0;
    switch (op) {
        case MathBinary::And:
            r = ux & uy;
            break;
        case MathBinary::Or:
            r = ux | uy;
            break;
        case MathBinary::Xor:
            r = ux ^ uy;
            break;
        case MathBinary::Eqv:
            r = ~(ux ^ uy);
            break;
        default:  // Imp
            r = ~ux | uy;
            break;
    }
    const double number = static_cast<int32_t>(r);
    if (left.kind == Value::Kind::Bool && right.kind == Value::Kind::Bool) {
        left = Value::Truth(number != 0);
    } else {
        left = MathMakeNumber(number, IsSmallInteger(left) && IsSmallInteger(right) ? 0 : 2);
    }
    return true;
}

}  // namespace

bool ApplyMathBinary(MathBinary op, Value& left, const Value& right, const LocaleInfo& locale) {
    switch (op) {
        case MathBinary::Add: {
            const bool leftText = left.kind == Value::Kind::Text;
            const bool rightText = right.kind == Value::Kind::Text;
            if (leftText && (rightText || right.kind == Value::Kind::Empty)) {
                left.text += right.text;
                return true;
            }
            if (rightText && left.kind == Value::Kind::Empty) {
                left = right;
                return true;
            }
            return Arithmetic(op, left, right, locale);
        }
        case MathBinary::Power:
        case MathBinary::Multiply:
        case MathBinary::Divide:
        case MathBinary::IntegerDivide:
        case MathBinary::Modulo:
        case MathBinary::Subtract:
            return Arithmetic(op, left, right, locale);
        case MathBinary::Equal:
        case MathBinary::Less:
        case MathBinary::Greater:
        case MathBinary::NotEqual:
        case MathBinary::LessEqual:
        case MathBinary::GreaterEqual:
            return Compare(op, left, right);
        default:
            return Bitwise(op, left, right, locale);
    }
}

bool ApplyMathNegate(Value& x, const LocaleInfo& locale) {
    double d;
    if (!MathToNumber(x, locale, d)) return false;
    x = MathMakeNumber(d == 0 ? 0 : -d, MathNumberRank(x));
    return true;
}

bool ApplyMathNot(Value& x, const LocaleInfo& locale) {
    if (x.kind == Value::Kind::Bool) {
        x = Value::Truth(x.number == 0);
        return true;
    }
    double d;
    int32_t i;
    if (!MathToNumber(x, locale, d) || !MathRoundToInt32(d, i)) return false;
    x = MathMakeNumber(static_cast<double>(~i), IsSmallInteger(x) ? 0 : 2);
    return true;
}

}  // namespace quorvane
