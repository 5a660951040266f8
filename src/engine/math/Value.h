// The dynamically typed value of a field during math and formatting.
#pragma once

#include <string>
#include <string_view>

#include "engine/LocaleInfo.h"

namespace quorvane {

struct Value {
    enum class Kind {
        Empty,   // a sub-expression whose evaluation failed; 0 in arithmetic, "" as text
        Double,  // double precision number
        Int16,   // 16-bit integer (asc, sgn); number holds it
        Single,  // single precision number (rnd); number holds it, already rounded to float
        Text,    // text holds it (code-page bytes)
        Bool,    // truth value; number is -1 or 0
        Date,    // date/time as days since 1899-12-30 with the time as the fraction
    };
    Kind kind = Kind::Empty;
    double number = 0;
    std::string text;

    static Value Empty() { return {}; }
    static Value Number(double d) { return {Kind::Double, d, {}}; }
    static Value Integer16(int v) { return {Kind::Int16, static_cast<double>(v), {}}; }
    static Value SingleNumber(float f) { return {Kind::Single, static_cast<double>(f), {}}; }
    static Value Truth(bool b) { return {Kind::Bool, b ? -1.0 : 0.0, {}}; }
    static Value FromText(std::string s) { return {Kind::Text, 0, std::move(s)}; }
    static Value FromDate(double serial) { return {Kind::Date, serial, {}}; }

    bool IsNumeric() const {
        return kind == Kind::Double || kind == Kind::Int16 || kind == Kind::Single ||
               kind == Kind::Bool;
    }
};

// The text form of a value: numbers with up to 15 significant digits (7 for single), no
// leading space, the locale's decimal separator, exponent notation for very large or small
// values (1E+16, 1E-05); truth values "True" and "False"; empty gives "".
std::string ValueToText(const Value& value, const LocaleInfo& locale);

// Writes a double as ValueToText does (significantDigits 15, or 7 for single precision).
std::string NumberToText(double number, const LocaleInfo& locale, int significantDigits = 15);

// Reads a whole text as a number with the locale's rules: blanks around it, an optional sign,
// digits with the locale's thousands separators, the locale's decimal separator, an optional
// exponent (E or D), or a &H / &O prefixed hexadecimal or octal number. False when the text is
// not a number (the empty text is not one).
bool ParseLocaleNumber(std::string_view text, const LocaleInfo& locale, double& out);

// Converts a number in C notation ([-]digits[.digits][e[+|-]digits], at least one digit) to a
// double. False when it is malformed or too large for a double; too small a value gives 0.
bool DecimalTextToDouble(std::string_view text, double& out);

}  // namespace quorvane
