#include "platform/linux/WaylandKeymap.h"

#include <X11/keysym.h>

#include <cstdio>

namespace quorvane {

namespace {

// The US layout's ASCII keys: level 1, level 2.
constexpr char kAsciiPairs[][3] = {
    "1!", "2@", "3#", "4$",  "5%", "6^",  "7&", "8*", "9(", "0)", "-_",
    "=+", "[{", "]}", "\\|", ";:", "'\"", "`~", ",<", ".>", "/?",
};

struct ModifierKey {
    X11Keysym keysym;
    uint32_t mask;
    const char* name;  // the modifier's name in the keymap
};

constexpr ModifierKey kModifiers[] = {
    {XK_Shift_L, WaylandKeymap::kShiftMask, "Shift"},
    {XK_Shift_R, WaylandKeymap::kShiftMask, "Shift"},
    {XK_Caps_Lock, WaylandKeymap::kLockMask, "Lock"},
    {XK_Control_L, WaylandKeymap::kControlMask, "Control"},
    {XK_Control_R, WaylandKeymap::kControlMask, "Control"},
    {XK_Alt_L, WaylandKeymap::kMod1Mask, "Mod1"},
    {XK_Alt_R, WaylandKeymap::kMod1Mask, "Mod1"},
    {XK_Num_Lock, WaylandKeymap::kMod2Mask, "Mod2"},
    {XK_Super_L, WaylandKeymap::kMod4Mask, "Mod4"},
    {XK_Super_R, WaylandKeymap::kMod4Mask, "Mod4"},
};

std::string Hex(X11Keysym keysym) {
    char text[24];  // "0x", up to 16 digits and the NUL
    std::snprintf(text, sizeof text, "0x%lx", keysym);
    return text;
}

}  // namespace

WaylandKeymap::WaylandKeymap() {
    for (char c = 'a'; c <= 'z'; ++c) AddKey(X11Keysym(c), X11Keysym(c - 'a' + 'A'));
    for (const char* pair : kAsciiPairs) AddKey(X11Keysym(pair[0]), X11Keysym(pair[1]));
    AddKey(XK_space, 0);
    for (const ModifierKey& modifier : kModifiers) AddKey(modifier.keysym, 0);
    // Every named key a macro can press: the virtual-key table decides which they are.
    for (int virtualKey = 1; virtualKey < 256; ++virtualKey) {
        const X11Keysym keysym = KeysymForVirtualKey(virtualKey);
        if (keysym != 0 && places_.count(keysym) == 0) AddKey(keysym, 0);
    }
}

uint32_t WaylandKeymap::AddKey(X11Keysym lower, X11Keysym upper) {
    Key key;
    key.levels[0] = lower;
    key.levels[1] = upper;
    keys_.push_back(key);
    const uint32_t keycode = kFirstKeycode + static_cast<uint32_t>(keys_.size() - 1);
    places_.emplace(lower, KeymapKey{keycode, false});
    if (upper != 0) places_.emplace(upper, KeymapKey{keycode, true});
    changed_ = true;
    return keycode;
}

uint32_t WaylandKeymap::AddOnDemand(X11Keysym keysym) {
    uint32_t keycode = 0;
    if (kFirstKeycode + keys_.size() <= kLastKeycode) {
        keycode = AddKey(keysym, 0);
    } else {
        // Full: take over the character key used longest ago. Keys already sent were read
        // with the keymap of their time; the compositor passes the new one on in order.
        Key* oldest = nullptr;
        for (Key& key : keys_) {
            if (key.added && (!oldest || key.lastUse < oldest->lastUse)) oldest = &key;
        }
        if (!oldest) return 0;
        places_.erase(oldest->levels[0]);
        oldest->levels[0] = keysym;
        keycode = kFirstKeycode + static_cast<uint32_t>(oldest - keys_.data());
        places_.emplace(keysym, KeymapKey{keycode, false});
        changed_ = true;
    }
    keys_[keycode - kFirstKeycode].added = true;
    return keycode;
}

KeymapKey WaylandKeymap::Find(X11Keysym keysym) const {
    auto it = places_.find(keysym);
    return it == places_.end() ? KeymapKey{} : it->second;
}

KeymapKey WaylandKeymap::KeyForCharacter(char32_t codePoint) {
    const X11Keysym keysym = KeysymForCodePoint(codePoint);
    if (keysym == 0) return {};
    KeymapKey key = Find(keysym);
    if (key.keycode == 0) key.keycode = AddOnDemand(keysym);
    if (key.keycode != 0) keys_[key.keycode - kFirstKeycode].lastUse = ++uses_;
    return key;
}

uint32_t WaylandKeymap::KeyForKeysym(X11Keysym keysym) {
    if (keysym == 0) return 0;
    KeymapKey key = Find(keysym);
    if (key.keycode == 0) key.keycode = AddOnDemand(keysym);
    return key.keycode;
}

uint32_t WaylandKeymap::ModifierOf(uint32_t keycode) const {
    if (keycode < kFirstKeycode || keycode - kFirstKeycode >= keys_.size()) return 0;
    const X11Keysym keysym = keys_[keycode - kFirstKeycode].levels[0];
    for (const ModifierKey& modifier : kModifiers) {
        if (modifier.keysym == keysym) return modifier.mask;
    }
    return 0;
}

bool WaylandKeymap::IsLockKey(uint32_t keycode) const {
    const uint32_t mask = ModifierOf(keycode);
    return mask == kLockMask || mask == kMod2Mask;
}

std::string WaylandKeymap::Text() const {
    std::string text = "xkb_keymap {\nxkb_keycodes \"quorvane\" {\n";
    text += "minimum = 8;\nmaximum = " + std::to_string(kLastKeycode) + ";\n";
    for (size_t i = 0; i < keys_.size(); ++i) {
        const std::string code = std::to_string(kFirstKeycode + i);
        text += "<K" + code + "> = " + code + ";\n";
    }
    text += "};\n";
    // The standard types and interpretations give Shift its levels and the modifier keys
    // their actions.
    text += "xkb_types \"quorvane\" { include \"complete\" };\n";
    text += "xkb_compatibility \"quorvane\" { include \"complete\" };\n";
    text += "xkb_symbols \"quorvane\" {\n";
    for (size_t i = 0; i < keys_.size(); ++i) {
        const Key& key = keys_[i];
        text += "key <K" + std::to_string(kFirstKeycode + i) + "> { [ " + Hex(key.levels[0]);
        if (key.levels[1] != 0) text += ", " + Hex(key.levels[1]);
        text += " ] };\n";
    }
    for (const ModifierKey& modifier : kModifiers) {
        const KeymapKey key = Find(modifier.keysym);
        text += std::string("modifier_map ") + modifier.name + " { <K" +
                std::to_string(key.keycode) + "> };\n";
    }
    text += "};\n};\n";
    return text;
}

}  // namespace quorvane
