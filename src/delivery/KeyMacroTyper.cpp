#include "delivery/KeyMacroTyper.h"

#include "delivery/KeyMacroParser.h"
#include "delivery/KeyMacroPlayer.h"

namespace quorvane {

namespace {

constexpr int kAlt = 18;

}  // namespace

int KeyMacroTyper::TypeKeys(std::string_view text) {
    // The list is parsed into a local: a pause below may let another macro be typed.
    KeyEventList list;
    if (int error = ParseKeyMacro(text, keys_, KeyMacroSyntax{}, list)) return error;
    const bool capsOn = keys_.IsLockOn(LockKey::CapsLock);
    const KeyboardSnapshot saved = keys_.SaveKeyboardState();
    if (capsOn) keys_.ToggleLock(LockKey::CapsLock);
    Play(list, true);
    keys_.RestoreKeyboardState(keys_.KeysStillHeld(saved));
    if (capsOn) keys_.ToggleLock(LockKey::CapsLock);
    keys_.Flush();
    return kKeyMacroOk;
}

int KeyMacroTyper::TypeDefault(std::string_view text) {
    KeyMacroSyntax syntax;
    syntax.braceSpaceIsSpace = true;
    KeyEventList list;
    if (int error = ParseKeyMacro(text, keys_, syntax, list)) return error;
    const bool capsOn = keys_.IsLockOn(LockKey::CapsLock);
    if (capsOn) keys_.ToggleLock(LockKey::CapsLock);
    Play(list, false);
    if (capsOn) keys_.ToggleLock(LockKey::CapsLock);
    keys_.Flush();
    return kKeyMacroOk;
}

void KeyMacroTyper::Play(const KeyEventList& list, bool altPause) {
    KeyMacroPlayer player(list);
    KeyStep step;
    while (player.Next(step)) {
        switch (step.kind) {
            case KeyStep::Down:
                keys_.KeyDown(step.code);
                break;
            case KeyStep::Up:
                keys_.KeyUp(step.code);
                break;
            case KeyStep::Character:
                keys_.TypeCharacter(static_cast<unsigned char>(step.code));
                break;
        }
        if (altPause && step.kind == KeyStep::Up && step.code == kAlt) {
            // The Alt release must reach the target before the pause (menus open on it).
            keys_.Flush();
            Pause(kAltPauseMs);
        }
    }
}

void KeyMacroTyper::Pause(long long ms) {
    if (ms <= 0) return;
    // The tick wraps at 2^32, so waits are held below half of that.
    const uint32_t total = ms > 0x7FFFFFFF ? 0x7FFFFFFFu : static_cast<uint32_t>(ms);
    const uint32_t start = clock_.TickCount();
    for (;;) {
        const uint32_t elapsed = clock_.TickCount() - start;
        if (elapsed >= total) return;
        waiter_.ProcessEvents(total - elapsed);
    }
}

}  // namespace quorvane
