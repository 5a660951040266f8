#include "engine/format/FormatField.h"

#include <cmath>

#include "engine/format/DatePicture.h"
#include "engine/format/DatePictureCalendar.h"
#include "engine/format/FormatDateText.h"
#include "engine/format/FormatNamed.h"
#include "engine/format/FormatPicture.h"
#include "engine/format/FormatTextPicture.h"

namespace quorvane {

namespace {

// What a numeric or date format sees of a value.
struct Operand {
    enum class Kind { Empty, Number, Unchanged } kind = Kind::Empty;
    double number = 0;
    int significantDigits = 15;
};

// Empty values and the empty text count as the empty value; other text is a number when it
// reads as one, for date formats a date or time first; anything else stays as it is.
Operand ReadOperand(const Value& value, const LocaleInfo& locale, bool dateFormat) {
    Operand op;
    switch (value.kind) {
        case Value::Kind::Empty:
            return op;
        case Value::Kind::Text:
            if (value.text.empty()) return op;
            op.kind = Operand::Kind::Number;
            // A short date such as 07.12.2026 would also pass as a number with "."
            // grouping: for date formats the date reading goes first.
            if (dateFormat && ParseDateText(value.text, locale, op.number)) return op;
            if (ParseLocaleNumber(value.text, locale, op.number)) return op;
            op.kind = Operand::Kind::Unchanged;
            return op;
        case Value::Kind::Single:
            op.significantDigits = 7;
            break;
        default:
            break;
    }
    op.kind = Operand::Kind::Number;
    op.number = value.number;
    return op;
}

std::string GeneralText(const Value& value, const LocaleInfo& locale) {
    CalendarMoment moment;
    if (value.kind == Value::Kind::Date && MomentFromSerial(value.number, moment)) {
        std::string out;
        AppendGeneralDate(moment, locale, out);
        return out;
    }
    return ValueToText(value, locale);
}

std::optional<std::string> FormatNamed(const Value& value, NamedFormatKind kind,
                                       const LocaleInfo& locale) {
    const bool date = IsDateFormat(kind);
    const Operand op = ReadOperand(value, locale, date);
    if (op.kind == Operand::Kind::Empty) return std::string();
    if (op.kind == Operand::Kind::Unchanged) return value.text;
    if (!std::isfinite(op.number)) return std::nullopt;
    std::string out;
    if (date) {
        CalendarMoment moment;
        if (!MomentFromSerial(op.number, moment)) return std::nullopt;
        AppendNamedDate(kind, moment, locale, out);
    } else {
        AppendNamedNumber(kind, op.number, op.significantDigits, locale, out);
    }
    return out;
}

std::optional<std::string> FormatPicture(const Value& value, std::string_view picture,
                                         const LocaleInfo& locale) {
    const PictureSections sections = SplitSections(picture);
    const PictureKind kind = ClassifyPicture(picture);
    std::string out;
    if (kind == PictureKind::Text) {
        const std::string text =
            value.kind == Value::Kind::Text ? value.text : GeneralText(value, locale);
        if (text.empty() && sections.count >= 2) {
            AppendTextPicture(sections.section[1], text, out);
        } else {
            AppendTextPicture(sections.section[0], text, out);
        }
        return out;
    }
    const bool date = kind == PictureKind::Date;
    const Operand op = ReadOperand(value, locale, date);
    if (op.kind == Operand::Kind::Empty) {
        if (sections.count >= 4) AppendEmptySection(sections.section[3], locale, out);
        return out;
    }
    if (op.kind == Operand::Kind::Unchanged) return value.text;
    if (!std::isfinite(op.number)) return std::nullopt;
    if (!date) {
        AppendNumberPicture(sections, op.number, op.significantDigits, locale, out);
        return out;
    }
    CalendarMoment moment;
    if (!MomentFromSerial(op.number, moment)) return std::nullopt;
    if (sections.section[0].empty()) {
        AppendGeneralDate(moment, locale, out);
    } else {
        AppendDatePicture(sections.section[0], moment, locale, out);
    }
    return out;
}

}  // namespace

std::optional<std::string> FormatValue(const Value& value, std::string_view expression,
                                       const LocaleInfo& locale) {
    if (expression.empty()) return GeneralText(value, locale);
    const NamedFormatKind named = FindNamedFormat(expression);
    if (named != NamedFormatKind::None) return FormatNamed(value, named, locale);
    return FormatPicture(value, expression, locale);
}

std::optional<std::string> FormatField(const Value& value, std::string_view expression,
                                       const std::array<NamedFormat, 7>& namedFormats,
                                       const LocaleInfo& locale) {
    for (size_t k = 1; k < namedFormats.size(); ++k) {
        const NamedFormat& row = namedFormats[k];
        if (!row.DisplayName.empty() && expression == row.DisplayName) {
            const std::string_view stored = row.StoredName.empty()
                                                ? std::string_view(kNamedFormatStoredNames[k])
                                                : std::string_view(row.StoredName);
            return FormatValue(value, stored, locale);
        }
    }
    return FormatValue(value, expression, locale);
}

std::string FormatDateTime(const DateTimeParts& moment, std::string_view expression,
                           const LocaleInfo& locale) {
    const Value value = Value::FromDate(DateSerial(moment));
    if (!expression.empty()) {
        if (std::optional<std::string> text = FormatValue(value, expression, locale)) {
            return *text;
        }
    }
    return GeneralText(value, locale);
}

double DateSerial(const DateTimeParts& moment) {
    return SerialFromParts(moment.Year, moment.Month, moment.Day, moment.Hour, moment.Minute,
                           moment.Second);
}

}  // namespace quorvane
