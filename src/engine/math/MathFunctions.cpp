#include "engine/math/MathFunctions.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <string>

#include "engine/math/MathNumberReader.h"
#include "engine/math/MathOperations.h"
#include "strings/AsciiCase.h"

namespace quorvane {

namespace {

enum class Function : uint8_t {
    Abs,
    Asc,
    Atn,
    Cos,
    Exp,
    Fix,
    Hex,
    Int,
    Lcase,
    Log,
    Ltrim,
    Rnd,
    Rtrim,
    Sgn,
    Sin,
    Sqr,
    Tan,
    Trim,
    Ucase,
    Val,
    Field,
    None,
};

Function Lookup(std::string_view name) {
    struct Entry {
        std::string_view name;
        Function function;
    };
    static constexpr Entry kFunctions[] = {
        {"abs", Function::Abs},     {"asc", Function::Asc},     {"atn", Function::Atn},
        {"cos", Function::Cos},     {"exp", Function::Exp},     {"fix", Function::Fix},
        {"hex", Function::Hex},     {"int", Function::Int},     {"lcase", Function::Lcase},
        {"log", Function::Log},     {"ltrim", Function::Ltrim}, {"rnd", Function::Rnd},
        {"rtrim", Function::Rtrim}, {"sgn", Function::Sgn},     {"sin", Function::Sin},
        {"sqr", Function::Sqr},     {"tan", Function::Tan},     {"trim", Function::Trim},
        {"ucase", Function::Ucase}, {"val", Function::Val},     {"field", Function::Field},
    };
    for (const Entry& e : kFunctions) {
        if (AsciiEqualsNoCase(e.name, name)) return e.function;
    }
    return Function::None;
}

std::string HexText(uint32_t v) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char buffer[8];
    int n = 0;
    do {
        buffer[7 - n++] = kDigits[v & 0xF];
        v >>= 4;
    } while (v != 0);
    return std::string(buffer + 8 - n, static_cast<size_t>(n));
}

bool Hex(Value& x, const LocaleInfo& locale) {
    double d;
    if (!MathToNumber(x, locale, d)) return false;
    const double r = std::nearbyint(d);
    // Negative values as 32-bit two's complement; positive ones up to 32 bits too.
    if (!(r >= -2147483648.0 && r <= 4294967295.0)) return false;
    uint32_t bits;
    if (r >= 0) {
        bits = static_cast<uint32_t>(r);
    } else if (x.kind == Value::Kind::Int16) {
        bits = static_cast<uint16_t>(static_cast<int16_t>(r));
    } else {
        bits = static_cast<uint32_t>(static_cast<int32_t>(r));
    }
    x = Value::FromText(HexText(bits));
    return true;
}

std::string Trimmed(std::string text, bool leading, bool trailing) {
    size_t begin = 0, end = text.size();
    if (leading) {
        while (begin < end && text[begin] == ' ') ++begin;
    }
    if (trailing) {
        while (end > begin && text[end - 1] == ' ') --end;
    }
    return text.substr(begin, end - begin);
}

// Only ASCII letters change case: other codes may be parts of double-byte characters.
std::string CaseMapped(std::string_view text, bool upper) {
    return upper ? AsciiUpperCase(text) : AsciiLowerCase(text);
}

// The classic 24-bit linear congruential sequence; a negative argument reseeds from the bits
// of its single-precision form.
float Rnd(double x, uint32_t& state) {
    if (x < 0) {
        const float f = x < -FLT_MAX ? -INFINITY : static_cast<float>(x);
        const uint32_t bits = std::bit_cast<uint32_t>(f);
        state = (bits + (bits >> 24)) & 0xFFFFFF;
    }
    if (x != 0) state = (state * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
    return static_cast<float>(state) / 16777216.0f;
}

// Functions of one number giving a double.
bool RealFunction(Function f, Value& x, const LocaleInfo& locale) {
    double d;
    if (!MathToNumber(x, locale, d)) return false;
    double r = 0;
    switch (f) {
        case Function::Atn:
            r = std::atan(d);
            break;
        case Function::Cos:
            r = std::cos(d);
            break;
        case Function::Sin:
            r = std::sin(d);
            break;
        case Function::Tan:
            r = std::tan(d);
            break;
        case Function::Exp:
            r = std::exp(d);
            break;
        case Function::Log:
            if (!(d > 0)) return false;
            r = std::log(d);
            break;
        default:  // Sqr
            if (d < 0) return false;
            r = std::sqrt(d);
            break;
    }
    if (!std::isfinite(r)) return false;
    x = Value::Number(r);
    return true;
}

// abs, fix and int keep the kind of number they are given.
bool SameKindFunction(Function f, Value& x, const LocaleInfo& locale) {
    double d;
    if (!MathToNumber(x, locale, d)) return false;
    double r = f == Function::Abs   ? std::fabs(d)
               : f == Function::Fix ? std::trunc(d)
                                    : std::floor(d);
    if (r == 0) r = 0;  // fix(-0.5) is 0, not -0
    x = MathMakeNumber(r, MathNumberRank(x));
    return true;
}

}  // namespace

MathFunctionResult ApplyMathFunction(std::string_view name, Value& x,
                                     const MathFunctionContext& context) {
    const Function f = Lookup(name);
    const LocaleInfo& locale = context.locale;
    bool ok = true;
    switch (f) {
        case Function::None:
            return MathFunctionResult::Unknown;
        case Function::Abs:
        case Function::Fix:
        case Function::Int:
            ok = SameKindFunction(f, x, locale);
            break;
        case Function::Atn:
        case Function::Cos:
        case Function::Sin:
        case Function::Tan:
        case Function::Exp:
        case Function::Log:
        case Function::Sqr:
            ok = RealFunction(f, x, locale);
            break;
        case Function::Asc: {
            const std::string text = ValueToText(x, locale);
            if (text.empty()) return MathFunctionResult::Failed;
            x = Value::Integer16(static_cast<unsigned char>(text[0]));
            break;
        }
        case Function::Hex:
            ok = Hex(x, locale);
            break;
        case Function::Lcase:
        case Function::Ucase:
            x = Value::FromText(CaseMapped(ValueToText(x, locale), f == Function::Ucase));
            break;
        case Function::Ltrim:
        case Function::Rtrim:
        case Function::Trim:
            x = Value::FromText(
                Trimmed(ValueToText(x, locale), f != Function::Rtrim, f != Function::Ltrim));
            break;
        case Function::Rnd: {
            double d;
            if (!MathToNumber(x, locale, d)) return MathFunctionResult::Failed;
            context.rndLast = Rnd(d, context.rndState);
            x = Value::SingleNumber(context.rndLast);
            break;
        }
        case Function::Sgn: {
            double d;
            if (!MathToNumber(x, locale, d)) return MathFunctionResult::Failed;
            x = Value::Integer16(d > 0 ? 1 : d < 0 ? -1 : 0);
            break;
        }
        case Function::Val: {
            // A number is its own reading: going through its locale text would lose the
            // fraction where the decimal separator is not ".".
            double d = 0;
            if (x.kind == Value::Kind::Text) {
                ok = ReadLeadingNumber(x.text, d);
            } else if (x.kind != Value::Kind::Empty) {
                d = x.number;
            }
            if (ok) x = Value::Number(d);
            break;
        }
        case Function::Field: {
            double d;
            int32_t n;
            if (!MathToNumber(x, locale, d) || !MathRoundToInt32(d, n) || n < 0 ||
                n >= static_cast<int32_t>(context.fields.size())) {
                return MathFunctionResult::Failed;
            }
            x = Value::FromText(context.fields[static_cast<size_t>(n)]);
            break;
        }
    }
    return ok ? MathFunctionResult::Ok : MathFunctionResult::Failed;
}

}  // namespace quorvane
