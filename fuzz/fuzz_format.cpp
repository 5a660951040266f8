// Fuzzes field formatting: the first byte picks the locale and the value's kind, the rest is
// the value text and the picture separated by the first NUL.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/format/FormatField.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const LocaleInfo kLocales[2] = {LocaleInfo::EnUs(), LocaleInfo::DeDe()};
    const uint8_t selector = data[0];
    const LocaleInfo& locale = kLocales[selector & 1];
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t split = rest.find('\0');
    const std::string_view valueText = rest.substr(0, split);
    const std::string_view picture =
        split == std::string_view::npos ? std::string_view() : rest.substr(split + 1);

    Value value = Value::FromText(std::string(valueText));
    double number = 0;
    switch ((selector >> 1) & 3) {
        case 1:  // the value as a number, dates included
            if (ParseLocaleNumber(valueText, locale, number)) value = Value::Number(number);
            break;
        case 2:
            if (valueText.size() >= sizeof(double)) {
                std::memcpy(&number, valueText.data(), sizeof(double));
                value = (selector & 8) ? Value::FromDate(number) : Value::Number(number);
            }
            break;
        case 3:
            value = Value::Empty();
            break;
        default:
            break;
    }
    (void)FormatValue(value, picture, locale);
    std::array<NamedFormat, 7> names;
    for (size_t k = 1; k < names.size(); ++k) names[k] = {kNamedFormatStoredNames[k], ""};
    (void)FormatField(value, picture, names, locale);
    DateTimeParts moment;
    moment.Year = 1 + static_cast<int>(selector) * 40;
    moment.Month = 1 + selector % 12;
    moment.Day = 1 + selector % 31;
    moment.Hour = selector % 24;
    (void)FormatDateTime(moment, picture, locale);
    return 0;
}
