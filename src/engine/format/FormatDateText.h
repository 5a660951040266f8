// Reads a text as a date or time in the locale's short date and time forms, for date
// pictures applied to text fields ("12/7/2026", "9:30:15", "12/7/2026 9:30 PM").
#pragma once

#include <string_view>

#include "engine/LocaleInfo.h"

namespace quorvane {

// On success serial holds days since 1899-12-30 with the time as the fraction. Day, month and
// year follow the order of the locale's short date pattern, or year-month-day when the text
// starts with a four-digit year; a two-digit year means 1930..2029.
bool ParseDateText(std::string_view text, const LocaleInfo& locale, double& serial);

}  // namespace quorvane
