#include "platform/linux/SystemLocale.h"

#include <QDate>
#include <QLocale>
#include <QString>

#include "config/CodePage.h"

namespace quorvane {

namespace {

std::string Bytes(const QString& s) { return CodePage::FromUtf8(s.toStdString()); }

char OneChar(const QString& s, char fallback) {
    const std::string b = Bytes(s);
    return b.size() == 1 ? b[0] : fallback;
}

}  // namespace

LocaleInfo SystemLocaleInfo() {
    const QLocale l = QLocale::system();
    LocaleInfo info = LocaleInfo::EnUs();
    info.DecimalSeparator = OneChar(l.decimalPoint(), '.');
    info.ThousandsSeparator = OneChar(l.groupSeparator(), ',');
    info.CurrencySymbol = Bytes(l.currencySymbol());
    const QString positive = l.toCurrencyString(1.0);
    const bool symbolFirst = positive.startsWith(l.currencySymbol());
    const bool spaced = positive.contains(QChar(' ')) || positive.contains(QChar(0xA0));
    info.CurrencyPositiveFormat = symbolFirst ? (spaced ? 2 : 0) : (spaced ? 3 : 1);
    info.CurrencyNegativeFormat = symbolFirst ? (spaced ? 9 : 1) : (spaced ? 8 : 5);
    for (int d = 0; d < 7; ++d) {
        const int qtDay = d == 0 ? 7 : d;  // Qt counts Monday as 1, we count Sunday first
        info.DayNames[d] = Bytes(l.dayName(qtDay, QLocale::LongFormat));
        info.ShortDayNames[d] = Bytes(l.dayName(qtDay, QLocale::ShortFormat));
    }
    for (int m = 0; m < 12; ++m) {
        info.MonthNames[m] = Bytes(l.monthName(m + 1, QLocale::LongFormat));
        info.ShortMonthNames[m] = Bytes(l.monthName(m + 1, QLocale::ShortFormat));
    }
    // Qt's pattern letters match the Windows ones except for the AM/PM marker.
    auto pattern = [](QString p) { return Bytes(p.replace("AP", "tt").replace("ap", "tt")); };
    info.ShortDatePattern = pattern(l.dateFormat(QLocale::ShortFormat));
    info.LongDatePattern = pattern(l.dateFormat(QLocale::LongFormat));
    info.LongTimePattern = pattern(l.timeFormat(QLocale::LongFormat).remove(" t").remove("t"));
    info.AmDesignator = Bytes(l.amText());
    info.PmDesignator = Bytes(l.pmText());
    const QString shortDate = l.toString(QDate(2001, 2, 3), QLocale::ShortFormat);
    for (const QChar c : shortDate) {
        if (!c.isDigit()) {
            info.DateSeparator = Bytes(QString(c));
            break;
        }
    }
    info.FirstDayOfWeek = l.firstDayOfWeek() == Qt::Sunday ? 1 : static_cast<int>(l.firstDayOfWeek()) + 1;
    return info;
}

}  // namespace quorvane
