#include "engine/format/FormatNamed.h"

#include "engine/format/DatePicture.h"
#include "engine/format/FormatDecimal.h"
#include "engine/format/NumberPicture.h"
#include "engine/math/Value.h"
#include "strings/AsciiCase.h"

namespace quorvane {

namespace {

struct NameEntry {
    std::string_view name;
    NamedFormatKind kind;
};

constexpr NameEntry kNames[] = {
    {"General Number", NamedFormatKind::GeneralNumber},
    {"Currency", NamedFormatKind::Currency},
    {"Fixed", NamedFormatKind::Fixed},
    {"Standard", NamedFormatKind::Standard},
    {"Percent", NamedFormatKind::Percent},
    {"Scientific", NamedFormatKind::Scientific},
    {"Yes/No", NamedFormatKind::YesNo},
    {"True/False", NamedFormatKind::TrueFalse},
    {"On/Off", NamedFormatKind::OnOff},
    {"General Date", NamedFormatKind::GeneralDate},
    {"Long Date", NamedFormatKind::LongDate},
    {"Medium Date", NamedFormatKind::MediumDate},
    {"Short Date", NamedFormatKind::ShortDate},
    {"Long Time", NamedFormatKind::LongTime},
    {"Medium Time", NamedFormatKind::MediumTime},
    {"Short Time", NamedFormatKind::ShortTime},
};

// [-]digits with the decimal separator and exactly `decimals` fraction digits. A value that
// rounds to zero is written without a sign.
void AppendPlain(std::string& out, FormatDecimal d, int decimals, bool grouping,
                 const LocaleInfo& locale) {
    d.RoundToFraction(decimals);
    if (d.negative && !d.IsZero()) out += '-';
    AppendIntegerDigits(out, d, 1, locale.ThousandsSeparator, grouping ? locale.GroupSize : 0);
    if (decimals > 0) {
        out += locale.DecimalSeparator;
        AppendFractionDigits(out, d, decimals);
    }
}

// Windows currency forms, "$" standing for the symbol and "1" for the amount.
constexpr std::string_view kPositiveCurrency[] = {"$1", "1$", "$ 1", "1 $"};
constexpr std::string_view kNegativeCurrency[] = {"($1)", "-$1",  "$-1",   "$1-",  "(1$)", "-1$",
                                                  "1-$",  "1$-",  "-1 $",  "-$ 1", "1 $-", "$ 1-",
                                                  "$ -1", "1- $", "($ 1)", "(1 $)"};

void AppendCurrency(std::string& out, FormatDecimal d, const LocaleInfo& locale) {
    const int decimals = locale.CurrencyDigits < 0 ? 0 : locale.CurrencyDigits;
    d.RoundToFraction(decimals);
    const bool negative = d.negative && !d.IsZero();
    d.negative = false;
    std::string amount;
    AppendPlain(amount, d, decimals, true, locale);
    const int positiveForm = locale.CurrencyPositiveFormat;
    const int negativeForm = locale.CurrencyNegativeFormat;
    const std::string_view form =
        negative ? kNegativeCurrency[negativeForm >= 0 && negativeForm < 16 ? negativeForm : 0]
                 : kPositiveCurrency[positiveForm >= 0 && positiveForm < 4 ? positiveForm : 0];
    for (char c : form) {
        if (c == '$')
            out += locale.CurrencySymbol;
        else if (c == '1')
            out += amount;
        else
            out += c;
    }
}

void AppendScientific(std::string& out, const FormatDecimal& d, const LocaleInfo& locale) {
    static const NumberPicture picture("0.00E+00");
    int exponent = 0;
    const FormatDecimal prepared = picture.Prepare(d, exponent);
    picture.Render(prepared, exponent, d.negative && !prepared.IsZero(), locale, out);
}

}  // namespace

NamedFormatKind FindNamedFormat(std::string_view expression) {
    if (expression.size() < 5 || expression.size() > 14) return NamedFormatKind::None;
    for (const NameEntry& entry : kNames) {
        if (AsciiEqualsNoCase(expression, entry.name)) return entry.kind;
    }
    return NamedFormatKind::None;
}

void AppendNamedNumber(NamedFormatKind kind, double number, int significantDigits,
                       const LocaleInfo& locale, std::string& out) {
    const bool zero = number == 0;
    switch (kind) {
        case NamedFormatKind::YesNo:
            out += zero ? "No" : "Yes";
            return;
        case NamedFormatKind::TrueFalse:
            out += zero ? "False" : "True";
            return;
        case NamedFormatKind::OnOff:
            out += zero ? "Off" : "On";
            return;
        case NamedFormatKind::GeneralNumber:
            out += NumberToText(number, locale, significantDigits);
            return;
        default:
            break;
    }
    FormatDecimal d = FormatDecimal::FromDouble(number, significantDigits);
    switch (kind) {
        case NamedFormatKind::Currency:
            AppendCurrency(out, d, locale);
            break;
        case NamedFormatKind::Fixed:
            AppendPlain(out, d, 2, false, locale);
            break;
        case NamedFormatKind::Standard:
            AppendPlain(out, d, 2, true, locale);
            break;
        case NamedFormatKind::Percent:
            d.Shift(2);
            AppendPlain(out, d, 2, false, locale);
            out += '%';
            break;
        case NamedFormatKind::Scientific:
            AppendScientific(out, d, locale);
            break;
        default:
            break;
    }
}

void AppendNamedDate(NamedFormatKind kind, const CalendarMoment& m, const LocaleInfo& locale,
                     std::string& out) {
    const bool noDesignators = locale.AmDesignator.empty() && locale.PmDesignator.empty();
    switch (kind) {
        case NamedFormatKind::LongDate:
            AppendLocalePattern(locale.LongDatePattern, m, locale, out);
            break;
        case NamedFormatKind::MediumDate:
            AppendLocalePattern(locale.MediumDatePattern, m, locale, out);
            break;
        case NamedFormatKind::ShortDate:
            AppendLocalePattern(locale.ShortDatePattern, m, locale, out);
            break;
        case NamedFormatKind::LongTime:
            AppendLocalePattern(locale.LongTimePattern, m, locale, out);
            break;
        case NamedFormatKind::MediumTime:
            // A 12-hour clock without designators would be ambiguous: such locales get 24 hours.
            AppendDatePicture(noDesignators ? "hh:nn" : "hh:nn AMPM", m, locale, out);
            break;
        case NamedFormatKind::ShortTime:
            AppendDatePicture("hh:nn", m, locale, out);
            break;
        default:
            AppendGeneralDate(m, locale, out);
            break;
    }
}

}  // namespace quorvane
