// Feeds arbitrary expressions and field values to the math evaluator in both test locales.
// Input layout: the expression, then up to four field values (fields 0..3), each part ended
// by the byte 0x01, so that newlines and NUL stay part of the texts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/math/MathExpression.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const LocaleInfo kEnglish = LocaleInfo::EnUs();
    static const LocaleInfo kGerman = LocaleInfo::DeDe();
    std::string_view input(reinterpret_cast<const char*>(data), size);

    auto nextPart = [&input] {
        const size_t cut = input.find('\x01');
        const std::string_view part = input.substr(0, cut);
        input = cut == input.npos ? std::string_view() : input.substr(cut + 1);
        return part;
    };
    const std::string_view expression = nextPart();
    FieldDataArray fields;
    for (size_t n = 0; n < 4 && !input.empty(); ++n) fields[n] = std::string(nextPart());

    for (const LocaleInfo* locale : {&kEnglish, &kGerman}) {
        MathEvaluator evaluator(*locale);
        Value result;
        evaluator.EvaluateFieldMath(expression, fields, result);
        (void)ValueToText(result, *locale);
    }
    return 0;
}
