// The keymap the virtual keyboard uploads, compiled by libxkbcommon as a compositor does: each
// character must come out of the key and level the keymap says, whatever was added to it.
#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>

#include "platform/linux/WaylandKeymap.h"

namespace quorvane {
namespace {

class CompiledKeymap {
  public:
    explicit CompiledKeymap(const WaylandKeymap& keymap)
        : context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS), xkb_context_unref) {
        const std::string text = keymap.Text();
        keymap_ = xkb_keymap_new_from_string(
            context_.get(), text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
        if (keymap_) state_ = xkb_state_new(keymap_);
    }
    ~CompiledKeymap() {
        if (state_) xkb_state_unref(state_);
        if (keymap_) xkb_keymap_unref(keymap_);
    }
    bool Ok() const { return state_ != nullptr; }

    // The keysym a key types with mods (the uploaded modifier bits) held.
    xkb_keysym_t Sym(uint32_t keycode, uint32_t mods) {
        xkb_state_update_mask(state_, mods, 0, 0, 0, 0, 0);
        return xkb_state_key_get_one_sym(state_, keycode);
    }
    xkb_mod_index_t Mod(const char* name) const { return xkb_keymap_mod_get_index(keymap_, name); }

  private:
    std::unique_ptr<xkb_context, void (*)(xkb_context*)> context_;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
};

void ExpectTypes(WaylandKeymap& keymap, char32_t codePoint, xkb_keysym_t keysym) {
    const KeymapKey key = keymap.KeyForCharacter(codePoint);
    ASSERT_NE(key.keycode, 0u) << std::hex << static_cast<uint32_t>(codePoint);
    CompiledKeymap compiled(keymap);
    ASSERT_TRUE(compiled.Ok());
    EXPECT_EQ(compiled.Sym(key.keycode, key.shift ? WaylandKeymap::kShiftMask : 0), keysym)
        << std::hex << static_cast<uint32_t>(codePoint);
}

TEST(WaylandKeymapTest, CompilesAndNumbersTheModifiersAsTheInjectorSends) {
    WaylandKeymap keymap;
    CompiledKeymap compiled(keymap);
    ASSERT_TRUE(compiled.Ok()) << keymap.Text();
    EXPECT_EQ(compiled.Mod(XKB_MOD_NAME_SHIFT), 0u);
    EXPECT_EQ(compiled.Mod(XKB_MOD_NAME_CAPS), 1u);
    EXPECT_EQ(compiled.Mod(XKB_MOD_NAME_CTRL), 2u);
    EXPECT_EQ(compiled.Mod(XKB_MOD_NAME_ALT), 3u);
    EXPECT_EQ(compiled.Mod(XKB_MOD_NAME_NUM), 4u);
    EXPECT_EQ(compiled.Mod(XKB_MOD_NAME_LOGO), 6u);
    EXPECT_EQ(keymap.ModifierOf(keymap.Find(XK_Shift_R).keycode), WaylandKeymap::kShiftMask);
    EXPECT_TRUE(keymap.IsLockKey(keymap.Find(XK_Caps_Lock).keycode));
    EXPECT_FALSE(keymap.IsLockKey(keymap.Find(XK_Control_L).keycode));
}

TEST(WaylandKeymapTest, AsciiTypesAtTheUsLevelsWithShiftWhereTheUsLayoutNeedsIt) {
    WaylandKeymap keymap;
    keymap.TakeChanged();
    for (char32_t c = 0x20; c < 0x7F; ++c) ExpectTypes(keymap, c, c);
    EXPECT_TRUE(keymap.Find('A').shift);
    EXPECT_TRUE(keymap.Find('~').shift);
    EXPECT_FALSE(keymap.Find('a').shift);
    EXPECT_FALSE(keymap.Find('`').shift);
    EXPECT_EQ(keymap.Find('a').keycode, keymap.Find('A').keycode);
    // Nothing had to be added for ASCII.
    EXPECT_FALSE(keymap.Changed());
}

TEST(WaylandKeymapTest, OtherCharactersGetAOneLevelKeyOfTheirOwn) {
    WaylandKeymap keymap;
    keymap.TakeChanged();
    ExpectTypes(keymap, U'\u00E9', XK_eacute);
    EXPECT_TRUE(keymap.Changed());
    ExpectTypes(keymap, U'\u20AC', XK_EuroSign);
    ExpectTypes(keymap, U'\u00DF', XK_ssharp);
    ExpectTypes(keymap, U'\u3042', 0x01003042);
    // One level: Shift held by the macro cannot turn it into another character.
    const KeymapKey e = keymap.KeyForCharacter(U'\u00E9');
    EXPECT_FALSE(e.shift);
    CompiledKeymap compiled(keymap);
    EXPECT_EQ(compiled.Sym(e.keycode, WaylandKeymap::kShiftMask), XKB_KEY_eacute);
    // A character typed again keeps its key, and the keymap is not changed for it.
    keymap.TakeChanged();
    EXPECT_EQ(keymap.KeyForCharacter(U'\u00E9').keycode, e.keycode);
    EXPECT_FALSE(keymap.Changed());
    // Control characters have no key.
    EXPECT_EQ(keymap.KeyForCharacter(U'\x01').keycode, 0u);
}

TEST(WaylandKeymapTest, WhenFullTheCharacterKeyUsedLongestAgoIsTakenOver) {
    WaylandKeymap keymap;
    const KeymapKey first = keymap.KeyForCharacter(0x4E00);
    uint32_t last = first.keycode;
    char32_t c = 0x4E01;
    for (; last < WaylandKeymap::kLastKeycode; ++c) last = keymap.KeyForCharacter(c).keycode;
    ASSERT_EQ(last, WaylandKeymap::kLastKeycode);
    // The first character is used again: the second one is now the oldest.
    keymap.KeyForCharacter(0x4E00);
    keymap.TakeChanged();
    const KeymapKey taken = keymap.KeyForCharacter(0x5000);
    EXPECT_EQ(taken.keycode, first.keycode + 1);
    EXPECT_TRUE(keymap.Changed());
    EXPECT_EQ(keymap.Find(0x01004E01).keycode, 0u);
    EXPECT_EQ(keymap.Find(0x01004E00).keycode, first.keycode);
    CompiledKeymap compiled(keymap);
    ASSERT_TRUE(compiled.Ok());
    EXPECT_EQ(compiled.Sym(taken.keycode, 0), 0x01005000u);
    // The named keys are never taken over.
    EXPECT_NE(keymap.Find(XK_Return).keycode, 0u);
}

}  // namespace
}  // namespace quorvane
