#include "delivery/KeyNameToVk.h"

#include <array>
#include <string>

#include "config/CodePage.h"
#include "strings/AsciiCase.h"

namespace quorvane {

namespace {

struct NamedKey {
    std::string_view name;
    int code;
};

constexpr std::array<NamedKey, 33> kNamedKeys = {{
    {"CAPSLOCK", 20}, {"NUMLOCK", 144}, {"SCROLLOCK", 145}, {"ESCAPE", 27}, {"ESC", 27},
    {"ENTER", 13},    {"HELP", 47},     {"PRTSC", 44},      {"TAB", 9},     {"BREAK", 19},
    {"BACKSPACE", 8}, {"BS", 8},        {"BKSP", 8},        {"DELETE", 46}, {"DEL", 46},
    {"INSERT", 45},   {"LEFT", 37},     {"RIGHT", 39},      {"CLEAR", 12},  {"UP", 38},
    {"DOWN", 40},     {"PGUP", 33},     {"PGDN", 34},       {"HOME", 36},   {"END", 35},
    {"F1", 112},      {"F2", 113},      {"F3", 114},        {"F4", 115},    {"F5", 116},
    {"F6", 117},      {"F7", 118},      {"F8", 119},
}};

}  // namespace

int KeyTableLookup(std::string_view name) {
    for (const NamedKey& key : kNamedKeys) {
        if (AsciiEqualsNoCase(name, key.name)) return key.code;
    }
    // F9 .. F16 follow F1 .. F8 in the code order.
    for (int f = 9; f <= 16; ++f) {
        if (AsciiEqualsNoCase(name, "F" + std::to_string(f))) return 111 + f;
    }
    return 0;
}

int KeyCodeOfCharacter(unsigned char byte, KeyLayout& layout) {
    switch (byte) {
        case 8:
            return 8;
        case 9:
            return 9;
        case 10:
        case 13:
            return 13;
        case 27:
            return 27;
        case 127:
            return 8;
        default:
            break;
    }
    // Other C0 and C1 controls (and the undefined code-page bytes) have no key to type.
    char32_t cp = CodePage::ToUnicode(byte);
    if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) return 0;
    int code = kCharacterBit | byte;
    if (layout.CharacterNeedsShift(byte)) code |= kShiftBit;
    return code;
}

int KeyNameToVk(std::string_view name, KeyLayout& layout) {
    if (name.size() == 1) return KeyCodeOfCharacter(static_cast<unsigned char>(name[0]), layout);
    return KeyTableLookup(name);
}

}  // namespace quorvane
