#include "engine/LocaleInfo.h"

namespace quorvane {

LocaleInfo LocaleInfo::EnUs() {
    LocaleInfo l;
    l.DayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    l.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    l.MonthNames = {"January", "February", "March",     "April",   "May",      "June",
                    "July",    "August",   "September", "October", "November", "December"};
    l.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return l;
}

LocaleInfo LocaleInfo::DeDe() {
    LocaleInfo l;
    l.DecimalSeparator = ',';
    l.ThousandsSeparator = '.';
    l.CurrencySymbol = "\x80";  // the euro sign in Windows-1252
    l.CurrencyPositiveFormat = 3;
    l.CurrencyNegativeFormat = 8;
    l.DateSeparator = ".";
    l.ShortDatePattern = "dd.MM.yyyy";
    l.MediumDatePattern = "dd.MMM yy";
    l.LongDatePattern = "dddd, d. MMMM yyyy";
    l.LongTimePattern = "HH:mm:ss";
    l.AmDesignator = "";
    l.PmDesignator = "";
    l.DayNames = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
    l.ShortDayNames = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
    l.MonthNames = {"Januar", "Februar", "M\xE4rz",   "April",   "Mai",      "Juni",
                    "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    l.ShortMonthNames = {"Jan", "Feb", "M\xE4r", "Apr", "Mai", "Jun",
                         "Jul", "Aug", "Sep",    "Okt", "Nov", "Dez"};
    l.FirstDayOfWeek = 2;
    l.FirstWeekOfYear = 2;
    return l;
}

}  // namespace quorvane
