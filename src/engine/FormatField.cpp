#include "engine/FormatField.h"

#include <cmath>
#include <cstdio>

namespace quorvane {

namespace {

// First cut: the named numeric formats only; pictures follow.
std::optional<double> NumberOf(const Value& value, const LocaleInfo& locale) {
    if (value.kind == Value::Kind::Text) {
        double d = 0;
        if (!ParseLocaleNumber(value.text, locale, d)) return std::nullopt;
        return d;
    }
    if (value.kind == Value::Kind::Empty) return std::nullopt;
    return value.number;
}

std::string Fixed(double d, int decimals, const LocaleInfo& locale) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, d);
    std::string text(buffer);
    for (char& c : text) {
        if (c == '.' || c == ',') c = locale.DecimalSeparator;
    }
    return text;
}

}  // namespace

std::optional<std::string> FormatValue(const Value& value, std::string_view expression,
                                       const LocaleInfo& locale) {
    const std::optional<double> number = NumberOf(value, locale);
    if (!number) return value.kind == Value::Kind::Text ? value.text : std::string();
    const double d = *number;
    if (!std::isfinite(d)) return std::nullopt;
    if (expression == "General Number") return NumberToText(d, locale);
    if (expression == "Fixed") return Fixed(d, 2, locale);
    if (expression == "Percent") return Fixed(d * 100, 2, locale) + "%";
    if (expression == "Yes/No") return std::string(d != 0 ? "Yes" : "No");
    if (expression == "True/False") return std::string(d != 0 ? "True" : "False");
    if (expression == "On/Off") return std::string(d != 0 ? "On" : "Off");
    return std::nullopt;
}

std::optional<std::string> FormatField(const Value& value, std::string_view expression,
                                       const std::array<NamedFormat, 7>& namedFormats,
                                       const LocaleInfo& locale) {
    for (size_t k = 1; k < namedFormats.size(); ++k) {
        if (!namedFormats[k].DisplayName.empty() && expression == namedFormats[k].DisplayName) {
            return FormatValue(value, namedFormats[k].StoredName, locale);
        }
    }
    return FormatValue(value, expression, locale);
}

std::string FormatDateTime(const DateTimeParts& moment, std::string_view expression,
                           const LocaleInfo& locale) {
    (void)expression;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d/%d/%04d %d:%02d:%02d", moment.Month, moment.Day,
                  moment.Year, moment.Hour, moment.Minute, moment.Second);
    (void)locale;
    return buffer;
}

double DateSerial(const DateTimeParts& moment) {
    // Days from the civil date, 1899-12-30 being day 0.
    auto daysFromCivil = [](int y, int m, int d) {
        y -= m <= 2;
        const int era = (y >= 0 ? y : y - 399) / 400;
        const int yoe = y - era * 400;
        const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        return era * 146097 + doe - 719468;
    };
    const int days =
        daysFromCivil(moment.Year, moment.Month, moment.Day) - daysFromCivil(1899, 12, 30);
    const double time = (moment.Hour * 3600 + moment.Minute * 60 + moment.Second) / 86400.0;
    return days < 0 ? days - time : days + time;
}

}  // namespace quorvane
