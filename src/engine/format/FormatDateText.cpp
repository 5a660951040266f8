#include "engine/format/FormatDateText.h"

#include "engine/format/DatePictureCalendar.h"
#include "strings/AsciiCase.h"

namespace quorvane {

namespace {

class Reader {
  public:
    explicit Reader(std::string_view s) : s_(s) {}
    bool AtEnd() const { return pos_ >= s_.size(); }
    size_t Position() const { return pos_; }
    void SkipBlanks() {
        while (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
    }
    // Up to maxDigits decimal digits; false when there is none.
    bool Number(int maxDigits, int& value, int& digits) {
        value = 0;
        digits = 0;
        while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9' && digits < maxDigits) {
            value = value * 10 + (s_[pos_++] - '0');
            ++digits;
        }
        return digits > 0 && !(pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9');
    }
    size_t LeadingDigits() const {
        size_t n = 0;
        while (pos_ + n < s_.size() && s_[pos_ + n] >= '0' && s_[pos_ + n] <= '9') ++n;
        return n;
    }
    bool Literal(std::string_view word) {
        if (word.empty() || s_.size() - pos_ < word.size()) return false;
        for (size_t i = 0; i < word.size(); ++i) {
            if (AsciiLower(s_[pos_ + i]) != AsciiLower(word[i])) return false;
        }
        pos_ += word.size();
        return true;
    }
    bool Separator(std::string_view localeSeparator, std::string_view others) {
        if (Literal(localeSeparator)) return true;
        if (pos_ < s_.size() && others.find(s_[pos_]) != std::string_view::npos) {
            ++pos_;
            return true;
        }
        return false;
    }
    void Rewind(size_t pos) { pos_ = pos; }

  private:
    std::string_view s_;
    size_t pos_ = 0;
};

// The order of day, month and year in a short date pattern, as the letters 'd' 'M' 'y'.
void FieldOrder(std::string_view pattern, char order[3]) {
    int n = 0;
    for (char c : pattern) {
        if ((c == 'd' || c == 'M' || c == 'y') && n < 3) {
            bool seen = false;
            for (int i = 0; i < n; ++i) seen = seen || order[i] == c;
            if (!seen) order[n++] = c;
        }
    }
    if (n != 3) {
        order[0] = 'M';
        order[1] = 'd';
        order[2] = 'y';
    }
}

bool ReadDate(Reader& r, const LocaleInfo& locale, int& year, int& month, int& day) {
    char order[3];
    FieldOrder(locale.ShortDatePattern, order);
    if (r.LeadingDigits() == 4) {
        // A four-digit year first is the international form 2026-12-07 in every locale.
        order[0] = 'y';
        order[1] = 'M';
        order[2] = 'd';
    }
    int values[3];
    int yearDigits = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0 && !r.Separator(locale.DateSeparator, "/-")) return false;
        int digits = 0;
        if (!r.Number(order[i] == 'y' ? 4 : 2, values[i], digits)) return false;
        if (order[i] == 'y') {
            if (digits != 2 && digits != 4) return false;
            yearDigits = digits;
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (order[i] == 'd') day = values[i];
        if (order[i] == 'M') month = values[i];
        if (order[i] == 'y') year = values[i];
    }
    if (yearDigits == 2) year += year < 30 ? 2000 : 1900;
    return year >= 100 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

bool ReadTime(Reader& r, const LocaleInfo& locale, int& hour, int& minute, int& second) {
    int digits = 0;
    if (!r.Number(2, hour, digits)) return false;
    if (!r.Separator(locale.TimeSeparator, ":")) return false;
    if (!r.Number(2, minute, digits) || digits != 2) return false;
    second = 0;
    const size_t beforeSeconds = r.Position();
    if (r.Separator(locale.TimeSeparator, ":")) {
        if (!r.Number(2, second, digits) || digits != 2) r.Rewind(beforeSeconds);
    }
    if (minute > 59 || second > 59) return false;
    r.SkipBlanks();
    bool am = false, pm = false;
    if (!locale.AmDesignator.empty() && r.Literal(locale.AmDesignator))
        am = true;
    else if (!locale.PmDesignator.empty() && r.Literal(locale.PmDesignator))
        pm = true;
    else if (r.Literal("am") || r.Literal("a"))
        am = true;
    else if (r.Literal("pm") || r.Literal("p"))
        pm = true;
    if (am || pm) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + (pm ? 12 : 0);
    }
    return hour <= 23;
}

}  // namespace

bool ParseDateText(std::string_view text, const LocaleInfo& locale, double& serial) {
    Reader r(text);
    r.SkipBlanks();
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
    const size_t start = r.Position();
    const bool date = ReadDate(r, locale, year, month, day);
    if (date) {
        r.SkipBlanks();
        if (!r.AtEnd() && !ReadTime(r, locale, hour, minute, second)) return false;
    } else {
        r.Rewind(start);
        if (!ReadTime(r, locale, hour, minute, second)) return false;
    }
    r.SkipBlanks();
    if (!r.AtEnd()) return false;
    serial = SerialFromParts(year, month, day, hour, minute, second);
    return true;
}

}  // namespace quorvane
