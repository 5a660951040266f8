#include "delivery/DdeBusText.h"

#include "config/CodePage.h"

namespace quorvane {

namespace {
constexpr char32_t kNulSymbol = 0x2400;
}

std::string DdeTextToBus(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        AppendUtf8(out, b == 0 ? kNulSymbol : CodePage::ToUnicode(b));
    }
    return out;
}

std::string DdeTextFromBus(std::string_view utf8, bool* lossless) {
    if (lossless) *lossless = true;
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp = 0;
        unsigned char byte = 0;
        if (!DecodeUtf8(utf8, pos, cp)) {
            out += '?';
            if (lossless) *lossless = false;
        } else if (cp == kNulSymbol) {
            out += '\0';
        } else if (cp != 0 && CodePage::FromUnicode(cp, byte)) {
            out += static_cast<char>(byte);
        } else {
            out += '?';
            if (lossless) *lossless = false;
        }
    }
    return out;
}

}  // namespace quorvane
