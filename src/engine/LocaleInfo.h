// The user's number and date conventions as a plain record. The platform fills it from the
// user's locale at start-up; tests use the fixed en-US and de-DE records. Texts are bytes in
// the configuration's code page, like every other text of the core.
#pragma once

#include <array>
#include <string>

namespace quorvane {

struct LocaleInfo {
    char DecimalSeparator = '.';
    char ThousandsSeparator = ',';
    int GroupSize = 3;  // digits per thousands group

    std::string CurrencySymbol = "$";
    int CurrencyDigits = 2;
    // Placement of the symbol for positive amounts: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    int CurrencyPositiveFormat = 0;
    // Negative amounts, the sixteen Windows forms: 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-",
    // 4 "(1$)", 5 "-1$", 6 "1-$", 7 "1$-", 8 "-1 $", 9 "-$ 1", 10 "1 $-", 11 "$ 1-",
    // 12 "$ -1", 13 "1- $", 14 "($ 1)", 15 "(1 $)".
    int CurrencyNegativeFormat = 0;

    std::string DateSeparator = "/";
    std::string TimeSeparator = ":";
    // Date and time patterns in the Windows locale notation (d dd ddd dddd M MM MMM MMMM
    // yy yyyy, h hh H HH m mm s ss t tt, quoted literals).
    std::string ShortDatePattern = "M/d/yyyy";
    std::string MediumDatePattern = "dd-MMM-yy";
    std::string LongDatePattern = "dddd, MMMM d, yyyy";
    std::string LongTimePattern = "h:mm:ss tt";
    std::string AmDesignator = "AM";
    std::string PmDesignator = "PM";

    std::array<std::string, 7> DayNames;        // Sunday first
    std::array<std::string, 7> ShortDayNames;   // Sunday first
    std::array<std::string, 12> MonthNames;     // January first
    std::array<std::string, 12> ShortMonthNames;
    int FirstDayOfWeek = 1;   // 1 Sunday .. 7 Saturday
    int FirstWeekOfYear = 1;  // 1 the week of January 1

    static LocaleInfo EnUs();
    static LocaleInfo DeDe();
};

}  // namespace quorvane
