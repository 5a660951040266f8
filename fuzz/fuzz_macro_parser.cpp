// Fuzzes the keystroke macro parser, the player and SendKeyMacro's {DELAY} handling with a
// layout that needs Shift for capitals and some symbols. Checks that a parsed list fits the
// limit and plays out balanced: every press released, no modifier left held.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "delivery/KeyMacroParser.h"
#include "delivery/KeyMacroPlayer.h"
#include "delivery/KeyMacroTyper.h"
#include "delivery/SendKeyMacro.h"

namespace {

using namespace quorvane;

class CountingInjector : public KeyInjector {
  public:
    bool CharacterNeedsShift(unsigned char byte) override {
        return (byte >= 'A' && byte <= 'Z') ||
               std::string_view("!@#$%^&*()_+{}|:\"<>?~").find(static_cast<char>(byte)) !=
                   std::string_view::npos;
    }
    void KeyDown(int) override { ++down; }
    void KeyUp(int) override { --down; }
    void TypeCharacter(unsigned char) override {}
    KeyboardSnapshot SaveKeyboardState() override { return {}; }
    KeyboardSnapshot KeysStillHeld(const KeyboardSnapshot&) override { return {}; }
    void RestoreKeyboardState(const KeyboardSnapshot&) override {}
    bool IsLockOn(LockKey) override { return false; }
    void ToggleLock(LockKey) override {}
    void Flush() override {}
    int down = 0;
};

class JumpClock : public Clock {
  public:
    uint32_t TickCount() override { return ticks; }
    DateTimeParts Now() override { return {}; }
    uint32_t ticks = 0;
};

class JumpWaiter : public Waiter {
  public:
    explicit JumpWaiter(JumpClock& clock) : clock_(clock) {}
    void ProcessEvents(uint32_t maxMs) override { clock_.ticks += maxMs; }

  private:
    JumpClock& clock_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CountingInjector keys;
    for (bool braceSpace : {false, true}) {
        KeyMacroSyntax syntax;
        syntax.braceSpaceIsSpace = braceSpace;
        KeyEventList list;
        const int error = ParseKeyMacro(text, keys, syntax, list);
        if (error < 0 || error > 5 || list.size() > kMaxKeyEvents) std::abort();
        if (error != 0) continue;
        KeyMacroPlayer player(list);
        KeyStep step;
        int held = 0;
        while (player.Next(step)) {
            if (step.kind == KeyStep::Down) ++held;
            if (step.kind == KeyStep::Up && --held < 0) std::abort();
        }
        if (held != 0) std::abort();
    }
    JumpClock clock;
    JumpWaiter waiter(clock);
    KeyMacroTyper typer(keys, clock, waiter);
    SendKeyMacro(text, typer);
    typer.SetDirectKeyEvents(true);
    SendKeyMacro(text, typer);
    if (keys.down != 0) std::abort();  // a key left pressed after the macro
    return 0;
}
