#include "setup/KeyPickerRules.h"

#include <string_view>

#include "config/KeyNames.h"

namespace quorvane {

namespace {

// Characters that the macro notation reads as commands, so a picked one goes in braces.
constexpr std::string_view kNotationCharacters = "{}+^%~[]()";

std::vector<std::string> BuildKeystrokeList() {
    std::vector<std::string> list = {
        kNulEntry, "SPACE", "ENTER", "BACKSPACE", "TAB",     "INSERT",    "DELETE", "UP",
        "DOWN",    "RIGHT", "LEFT",  "HOME",      "END",     "PGDN",      "PGUP",   "ESCAPE",
        "HELP",    "BREAK", "CLEAR", "CAPSLOCK",  "NUMLOCK", "SCROLLOCK", "PRTSC"};
    for (int f = 1; f <= 16; ++f) list.push_back("F" + std::to_string(f));
    for (int c = 33; c <= 126; ++c) list.emplace_back(1, static_cast<char>(c));
    for (int c = 161; c <= 255; ++c) list.emplace_back(1, static_cast<char>(c));
    return list;
}

std::vector<std::string> BuildHotKeyList() {
    std::vector<std::string> list;
    for (const int code : KeyNames().DisplayOrder) list.push_back(KeyName(code));
    return list;
}

// The US-layout key of a shifted symbol, or of a plain one, as Qt reports it (its Latin-1
// character); 0 when the character is not on a named key.
int VirtualKeyForCharacter(int c) {
    if (c >= 'A' && c <= 'Z') return c;
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if (c >= '0' && c <= '9') return c;
    switch (c) {
        case ' ':
            return 32;
        case ')':
            return '0';
        case '!':
            return '1';
        case '@':
            return '2';
        case '#':
            return '3';
        case '$':
            return '4';
        case '%':
            return '5';
        case '^':
            return '6';
        case '&':
            return '7';
        case '*':
            return '8';
        case '(':
            return '9';
        case ';':
        case ':':
            return 186;
        case '=':
        case '+':
            return 187;
        case ',':
        case '<':
            return 188;
        case '-':
        case '_':
            return 189;
        case '.':
        case '>':
            return 190;
        case '/':
        case '?':
            return 191;
        case '`':
        case '~':
            return 192;
        case '[':
        case '{':
            return 219;
        case '\\':
        case '|':
            return 220;
        case ']':
        case '}':
            return 221;
        case '\'':
        case '"':
            return 222;
        default:
            return 0;
    }
}

// Qt::Key values of the keys that are not characters (qnamespace.h).
enum QtKey : int {
    kQtEscape = 0x01000000,
    kQtTab = 0x01000001,
    kQtBacktab = 0x01000002,
    kQtBackspace = 0x01000003,
    kQtReturn = 0x01000004,
    kQtEnter = 0x01000005,
    kQtInsert = 0x01000006,
    kQtDelete = 0x01000007,
    kQtPause = 0x01000008,
    kQtPrint = 0x01000009,
    kQtClear = 0x0100000b,
    kQtHome = 0x01000010,
    kQtEnd = 0x01000011,
    kQtLeft = 0x01000012,
    kQtUp = 0x01000013,
    kQtRight = 0x01000014,
    kQtDown = 0x01000015,
    kQtPageUp = 0x01000016,
    kQtPageDown = 0x01000017,
    kQtCapsLock = 0x01000024,
    kQtNumLock = 0x01000025,
    kQtScrollLock = 0x01000026,
    kQtF1 = 0x01000030,
    kQtF16 = 0x0100003f,
};

int VirtualKeyForSpecialKey(int qtKey) {
    if (qtKey >= kQtF1 && qtKey <= kQtF16) return 112 + (qtKey - kQtF1);
    switch (qtKey) {
        case kQtEscape:
            return 27;
        case kQtTab:
        case kQtBacktab:
            return 9;
        case kQtBackspace:
            return 8;
        case kQtReturn:
        case kQtEnter:
            return 13;
        case kQtInsert:
            return 45;
        case kQtDelete:
            return 46;
        case kQtPause:
            return 19;
        case kQtPrint:
            return 42;
        case kQtClear:
            return 12;
        case kQtHome:
            return 36;
        case kQtEnd:
            return 35;
        case kQtLeft:
            return 37;
        case kQtUp:
            return 38;
        case kQtRight:
            return 39;
        case kQtDown:
            return 40;
        case kQtPageUp:
            return 33;
        case kQtPageDown:
            return 34;
        case kQtCapsLock:
            return 20;
        case kQtNumLock:
            return 144;
        case kQtScrollLock:
            return 145;
        default:
            return 0;
    }
}

int KeypadVirtualKey(int qtKey) {
    if (qtKey >= '0' && qtKey <= '9') return 96 + (qtKey - '0');
    switch (qtKey) {
        case '*':
            return 106;
        case '+':
            return 107;
        case '-':
            return 109;
        case '.':
        case ',':  // the keypad's decimal key where the locale writes a comma
            return 110;
        case '/':
            return 111;
        default:
            return -1;  // not a keypad symbol: Enter, or a navigation key with Num Lock off
    }
}

}  // namespace

const std::vector<std::string>& KeystrokeList() {
    static const std::vector<std::string> list = BuildKeystrokeList();
    return list;
}

std::string KeystrokeResult(const std::string& entry, int modifiers, bool directKeyEvents) {
    if (entry == kNulEntry) return entry;
    std::string prefix;
    if (modifiers & kHotKeyAlt) prefix = "%";
    if (modifiers & kHotKeyCtrl) prefix = "^" + prefix;
    if (modifiers & kHotKeyShift) prefix = "+" + prefix;
    std::string key = entry;
    if (key.size() > 1 ||
        (key.size() == 1 && kNotationCharacters.find(key[0]) != std::string_view::npos))
        key = "{" + key + "}";
    if (key == "{SPACE}") key = directKeyEvents ? " " : "{ }";
    if (key.size() == 1 && static_cast<unsigned char>(key[0]) > 127) prefix.clear();
    return prefix + key;
}

const std::vector<std::string>& HotKeyList() {
    static const std::vector<std::string> list = BuildHotKeyList();
    return list;
}

int HotKeyListCode(int index) {
    if (index < 0 || index >= kKeyNameCount) return 0;
    return KeyNames().DisplayOrder[static_cast<size_t>(index)];
}

std::string HotKeyPrefix(int modifiers) {
    std::string prefix;
    if (modifiers & kHotKeyShift) prefix += "SHIFT+";
    if (modifiers & kHotKeyCtrl) prefix += "CTRL+";
    if (modifiers & kHotKeyAlt) prefix += "ALT+";
    return prefix;
}

int HotKeyCodeOf(int modifiers, int virtualKey) {
    return modifiers * 256 + virtualKey;
}

std::string HotKeyDisplayName(int code) {
    const auto bits = static_cast<uint16_t>(code);
    return HotKeyPrefix(bits >> 8) + KeyName(bits & 0xFF);
}

HotKeyPick HotKeyPickOf(int index, int modifiers) {
    const int key = HotKeyListCode(index);
    const int flags = modifiers & (kHotKeyShift | kHotKeyCtrl | kHotKeyAlt);
    return {HotKeyPrefix(flags) + KeyName(key), HotKeyCodeOf(flags, key), flags};
}

int HotKeyActionStringId(int action) {
    return kFirstHotKeyActionStringId + action;
}

int VirtualKeyForQtKey(int qtKey, bool keypad) {
    int key = keypad ? KeypadVirtualKey(qtKey) : -1;
    if (key < 0) {
        key = qtKey >= 0x20 && qtKey <= 0xFF ? VirtualKeyForCharacter(qtKey)
                                             : VirtualKeyForSpecialKey(qtKey);
    }
    return KeyName(key).empty() ? 0 : key;
}

HotKeySlots HotKeySlotsOf(const SetupGlobals& g) {
    HotKeySlots slots;
    for (size_t s = 0; s < slots.size(); ++s)
        slots[s] = {g.HotKeyCode[s], g.HotKeyAction[s], g.HotKeyString[s]};
    return slots;
}

bool StoreHotKeySlots(SetupGlobals& g, const HotKeySlots& slots) {
    const bool changed = HotKeySlotsOf(g) != slots;
    for (size_t s = 0; s < slots.size(); ++s) {
        g.HotKeyCode[s] = slots[s].Code;
        g.HotKeyAction[s] = slots[s].Action;
        g.HotKeyString[s] = slots[s].String;
    }
    if (changed) g.ConfigChanged = kTrue;
    return changed;
}

}  // namespace quorvane
