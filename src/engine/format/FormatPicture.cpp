#include "engine/format/FormatPicture.h"

#include "engine/format/DatePicture.h"
#include "engine/format/FormatDecimal.h"
#include "engine/format/FormatScan.h"
#include "engine/format/FormatTextPicture.h"
#include "engine/format/NumberPicture.h"
#include "engine/math/Value.h"

namespace quorvane {

namespace {

bool HasDigitPlaceholder(std::string_view s) {
    return AnyOutsideLiterals(
        s, [](std::string_view t, size_t pos) { return t[pos] == '0' || t[pos] == '#'; });
}

}  // namespace

PictureSections SplitSections(std::string_view s) {
    PictureSections result;
    size_t start = 0;
    for (size_t pos = 0; pos <= s.size(); ++pos) {
        if (pos < s.size() && s[pos] == '"') {
            const size_t close = s.find('"', pos + 1);
            pos = close == std::string_view::npos ? s.size() - 1 : close;
            continue;
        }
        if (pos + 1 < s.size() && s[pos] == '\\') {
            ++pos;  // the escaped character, which may be a ";"
            continue;
        }
        if (pos >= s.size() || s[pos] == ';') {
            result.section[result.count++] =
                s.substr(start, (pos < s.size() ? pos : s.size()) - start);
            start = pos + 1;
            if (result.count == 4) break;
        }
    }
    return result;
}

PictureKind ClassifyPicture(std::string_view picture) {
    if (HasDigitPlaceholder(picture)) return PictureKind::Number;
    bool strongText = false;
    const bool text = HasTextPlaceholder(picture, strongText);
    if (strongText) return PictureKind::Text;
    if (HasDatePlaceholder(picture)) return PictureKind::Date;
    return text ? PictureKind::Text : PictureKind::Number;
}

void AppendNumberPicture(const PictureSections& sections, double number, int significantDigits,
                         const LocaleInfo& locale, std::string& out) {
    const FormatDecimal value = FormatDecimal::FromDouble(number, significantDigits);
    auto given = [&](int index) {
        return sections.count > index && !sections.section[index].empty();
    };
    const int zeroIndex = given(2) ? 2 : 0;
    int index = 0;
    bool minus = false;
    if (value.IsZero()) {
        index = zeroIndex;
    } else if (value.negative) {
        if (given(1))
            index = 1;
        else
            minus = true;
    }
    const std::string_view section = sections.section[index];
    if (section.empty()) {
        // An empty picture writes the number as it is.
        out += NumberToText(number, locale, significantDigits);
        return;
    }
    const NumberPicture picture(section);
    int exponent = 0;
    FormatDecimal prepared = picture.Prepare(value, exponent);
    if (prepared.IsZero() && !value.IsZero() && picture.HasDigitPlaceholders()) {
        // Shown as zero: it is zero, without a sign, in the zero section if there is one.
        if (zeroIndex != index) {
            AppendEmptySection(sections.section[zeroIndex], locale, out);
            return;
        }
        minus = false;
    }
    picture.Render(prepared, exponent, minus, locale, out);
}

void AppendEmptySection(std::string_view section, const LocaleInfo& locale, std::string& out) {
    const NumberPicture picture(section);
    int exponent = 0;
    const FormatDecimal zero = picture.Prepare(FormatDecimal{}, exponent);
    picture.Render(zero, exponent, false, locale, out);
}

}  // namespace quorvane
