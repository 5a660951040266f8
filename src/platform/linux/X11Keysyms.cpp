#include "platform/linux/X11Keysyms.h"

// The publishing and technical keysyms (ellipsis, dagger, function) are not in the default set.
#define XK_PUBLISHING
#define XK_TECHNICAL
#include <X11/keysym.h>

namespace quorvane {

namespace {

struct VirtualKeysym {
    int virtualKey;
    X11Keysym keysym;
};

constexpr VirtualKeysym kVirtualKeys[] = {
    {8, XK_BackSpace},
    {9, XK_Tab},
    {12, XK_Clear},
    {13, XK_Return},
    {16, XK_Shift_L},
    {17, XK_Control_L},
    {18, XK_Alt_L},
    {19, XK_Pause},
    {20, XK_Caps_Lock},
    {27, XK_Escape},
    {32, XK_space},
    {33, XK_Prior},
    {34, XK_Next},
    {35, XK_End},
    {36, XK_Home},
    {37, XK_Left},
    {38, XK_Up},
    {39, XK_Right},
    {40, XK_Down},
    {41, XK_Select},
    {42, XK_Print},
    {43, XK_Execute},
    {44, XK_Print},
    {45, XK_Insert},
    {46, XK_Delete},
    {47, XK_Help},
    {91, XK_Super_L},
    {92, XK_Super_R},
    {93, XK_Menu},
    {106, XK_KP_Multiply},
    {107, XK_KP_Add},
    {108, XK_KP_Separator},
    {109, XK_KP_Subtract},
    {110, XK_KP_Decimal},
    {111, XK_KP_Divide},
    {144, XK_Num_Lock},
    {145, XK_Scroll_Lock},
    {160, XK_Shift_L},
    {161, XK_Shift_R},
    {162, XK_Control_L},
    {163, XK_Control_R},
    {164, XK_Alt_L},
    {165, XK_Alt_R},
    {186, XK_semicolon},
    {187, XK_equal},
    {188, XK_comma},
    {189, XK_minus},
    {190, XK_period},
    {191, XK_slash},
    {192, XK_grave},
    {219, XK_bracketleft},
    {220, XK_backslash},
    {221, XK_bracketright},
    {222, XK_apostrophe},
    {226, XK_less},
    {3, XK_Break},
};

struct LegacyKeysym {
    char32_t codePoint;
    X11Keysym keysym;
};

// The characters of Windows-1252 outside Latin-1 that have keysyms of their own; layouts
// carry these rather than the Unicode keysyms.
constexpr LegacyKeysym kLegacy[] = {
    {0x20AC, XK_EuroSign},
    {0x201A, XK_singlelowquotemark},
    {0x0192, XK_function},
    {0x201E, XK_doublelowquotemark},
    {0x2026, XK_ellipsis},
    {0x2020, XK_dagger},
    {0x2021, XK_doubledagger},
    {0x2030, XK_permille},
    {0x0160, XK_Scaron},
    {0x0152, XK_OE},
    {0x017D, XK_Zcaron},
    {0x2018, XK_leftsinglequotemark},
    {0x2019, XK_rightsinglequotemark},
    {0x201C, XK_leftdoublequotemark},
    {0x201D, XK_rightdoublequotemark},
    {0x2022, XK_enfilledcircbullet},
    {0x2013, XK_endash},
    {0x2014, XK_emdash},
    {0x2122, XK_trademark},
    {0x0161, XK_scaron},
    {0x0153, XK_oe},
    {0x017E, XK_zcaron},
};

}  // namespace

X11Keysym KeysymForVirtualKey(int virtualKey) {
    if (virtualKey >= 'A' && virtualKey <= 'Z') return XK_a + (virtualKey - 'A');
    if (virtualKey >= '0' && virtualKey <= '9') return XK_0 + (virtualKey - '0');
    if (virtualKey >= 96 && virtualKey <= 105) return XK_KP_0 + (virtualKey - 96);
    if (virtualKey >= 112 && virtualKey <= 127) return XK_F1 + (virtualKey - 112);
    for (const VirtualKeysym& entry : kVirtualKeys) {
        if (entry.virtualKey == virtualKey) return entry.keysym;
    }
    return 0;
}

X11Keysym KeysymForLock(LockKey lock) {
    switch (lock) {
        case LockKey::CapsLock:
            return XK_Caps_Lock;
        case LockKey::NumLock:
            return XK_Num_Lock;
        case LockKey::ScrollLock:
            return XK_Scroll_Lock;
    }
    return 0;
}

X11Keysym KeysymForCodePoint(char32_t codePoint) {
    if ((codePoint >= 0x20 && codePoint <= 0x7E) || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        return codePoint;
    }
    for (const LegacyKeysym& entry : kLegacy) {
        if (entry.codePoint == codePoint) return entry.keysym;
    }
    if (codePoint < 0x20 || codePoint > 0x10FFFF) return 0;
    return 0x01000000 | codePoint;
}

char32_t CodePointForKeysym(X11Keysym keysym) {
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF)) {
        return static_cast<char32_t>(keysym);
    }
    if (keysym >= 0x01000100 && keysym <= 0x0110FFFF) {
        return static_cast<char32_t>(keysym & 0x1FFFFF);
    }
    for (const LegacyKeysym& entry : kLegacy) {
        if (entry.keysym == keysym) return entry.codePoint;
    }
    return 0;
}

}  // namespace quorvane
