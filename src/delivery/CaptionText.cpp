#include "delivery/CaptionText.h"

#include "config/CodePage.h"

namespace quorvane {

char32_t UpperCaseCodePoint(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 0x20;
    if (c < 0xB5) return c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    if (c == 0xFF) return 0x178;
    // Latin Extended-A pairs capital and small letters side by side; the odd one out at
    // 0x130..0x131 (dotted and dotless i) and the long s have no simple capital here.
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
        return c & ~char32_t{1};
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
        return (c & 1) == 0 ? c - 1 : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;  // Greek; final sigma stays
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;                // Cyrillic а..я
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;                // Cyrillic ѐ..џ
    return c;
}

std::string UpperCaseText(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        const auto byte = static_cast<unsigned char>(ch);
        const char32_t upper = UpperCaseCodePoint(CodePage::ToUnicode(byte));
        unsigned char mapped = byte;
        if (CodePage::FromUnicode(upper, mapped)) ch = static_cast<char>(mapped);
    }
    return out;
}

void NormalizeTargetTitle(std::string& title) {
    const size_t first = title.find_first_not_of(' ');
    if (first == std::string::npos) {
        title.clear();
        return;
    }
    const size_t last = title.find_last_not_of(' ');
    title = UpperCaseText(std::string_view(title).substr(first, last - first + 1));
}

}  // namespace quorvane
