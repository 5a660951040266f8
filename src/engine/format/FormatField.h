// Field formatting: the named formats and a picture language compatible with the format
// pictures of configurations written on Windows (numbers, dates and times, text).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "config/SetupGlobals.h"
#include "engine/LocaleInfo.h"
#include "engine/math/Value.h"
#include "platform/Clock.h"

namespace quorvane {

// Maps a display name of the interface language (rows 1..6 of namedFormats) to its stored
// name, then formats value with the resulting expression. nullopt when formatting fails; the
// caller then keeps the value unchanged.
std::optional<std::string> FormatField(const Value& value, std::string_view expression,
                                       const std::array<NamedFormat, 7>& namedFormats,
                                       const LocaleInfo& locale);

// Formats value with an expression that is already a stored name or a picture. Text that is
// neither a number nor (for date formats) a date comes back unchanged; the empty value and the
// empty text give the picture's fourth section, otherwise the empty text (a failed
// computation is not shown as a zero reading). nullopt for a number that is not finite or a
// date serial outside the years 100..9999.
std::optional<std::string> FormatValue(const Value& value, std::string_view expression,
                                       const LocaleInfo& locale);

// The date/time display text: a date/time format expression applied to a moment; an empty
// expression gives the general date form.
std::string FormatDateTime(const DateTimeParts& moment, std::string_view expression,
                           const LocaleInfo& locale);

// Days since 1899-12-30 with the time of day as the fraction, for Value::Kind::Date.
double DateSerial(const DateTimeParts& moment);

}  // namespace quorvane
