#include "fakes/FakeKeyInjector.h"

#include <string_view>

#include "config/CodePage.h"
#include "config/KeyNames.h"

namespace quorvane {

namespace {

// The US layout's symbol keys: unshifted, then shifted character.
constexpr std::string_view kUnshifted = "1234567890-=[]\\;',./`";
constexpr std::string_view kShifted = "!@#$%^&*()_+{}|:\"<>?~";

const char* LockName(LockKey lock) {
    switch (lock) {
        case LockKey::CapsLock:
            return "CAPSLOCK";
        case LockKey::NumLock:
            return "NUMLOCK";
        case LockKey::ScrollLock:
            return "SCROLLOCK";
    }
    return "?";
}

}  // namespace

std::string FakeKeyInjector::KeyLabel(int virtualKey) {
    switch (virtualKey) {
        case 16:
            return "SHIFT";
        case 17:
            return "CTRL";
        case 18:
            return "ALT";
        case 44:
            return "PRTSC";
        case 47:
            return "HELP";
        default:
            break;
    }
    const std::string& name = KeyName(virtualKey);
    return name.empty() ? "VK" + std::to_string(virtualKey) : name;
}

bool FakeKeyInjector::CharacterNeedsShift(unsigned char byte) {
    if (byte >= 'A' && byte <= 'Z') return true;
    return byte < 128 && kShifted.find(static_cast<char>(byte)) != std::string_view::npos;
}

void FakeKeyInjector::KeyDown(int virtualKey) {
    events.push_back("down " + KeyLabel(virtualKey));
    held.insert(virtualKey);
    if (virtualKey == 13)
        typed += '\n';
    else if (virtualKey == 9)
        typed += '\t';
    else if (virtualKey < 16 || virtualKey > 18)
        typed += "<" + KeyLabel(virtualKey) + ">";
}

void FakeKeyInjector::KeyUp(int virtualKey) {
    events.push_back("up " + KeyLabel(virtualKey));
    held.erase(virtualKey);
}

void FakeKeyInjector::TypeCharacter(unsigned char byte) {
    const std::string character = CodePage::ToUtf8(std::string(1, static_cast<char>(byte)));
    events.push_back("char " + character);
    const bool shift = ModifierHeld(16);
    char c = static_cast<char>(byte);
    if (byte >= 'a' && byte <= 'z') c = static_cast<char>(byte - 32);
    if (c >= 'A' && c <= 'Z') {
        // The letter key: Shift and Caps Lock each flip the case.
        typed += (shift != capsLock) ? c : static_cast<char>(c + 32);
    } else if (size_t i = kUnshifted.find(c); byte < 128 && i != std::string_view::npos) {
        typed += shift ? kShifted[i] : kUnshifted[i];
    } else if (size_t j = kShifted.find(c); byte < 128 && j != std::string_view::npos) {
        typed += shift ? kShifted[j] : kUnshifted[j];
    } else {
        typed += character;  // space, and characters typed through a spare key
    }
}

KeyboardSnapshot FakeKeyInjector::SaveKeyboardState() {
    events.push_back("save");
    KeyboardSnapshot snapshot;
    for (int key : held) snapshot.heldKeys.push_back(static_cast<uint32_t>(key));
    userHolds = held;
    for (int key : snapshot.heldKeys) KeyUp(key);
    return snapshot;
}

KeyboardSnapshot FakeKeyInjector::KeysStillHeld(const KeyboardSnapshot& saved) {
    KeyboardSnapshot still;
    for (uint32_t key : saved.heldKeys) {
        if (userHolds.count(static_cast<int>(key)) != 0) still.heldKeys.push_back(key);
    }
    return still;
}

void FakeKeyInjector::RestoreKeyboardState(const KeyboardSnapshot& snapshot) {
    events.push_back("restore");
    for (uint32_t key : snapshot.heldKeys) {
        events.push_back("down " + KeyLabel(static_cast<int>(key)));
        held.insert(static_cast<int>(key));
    }
}

bool FakeKeyInjector::IsLockOn(LockKey lock) {
    return lock == LockKey::CapsLock ? capsLock : lock == LockKey::NumLock ? numLock : false;
}

void FakeKeyInjector::ToggleLock(LockKey lock) {
    events.push_back(std::string("toggle ") + LockName(lock));
    if (lock == LockKey::CapsLock) capsLock = !capsLock;
    if (lock == LockKey::NumLock) numLock = !numLock;
}

std::string FakeKeyInjector::Events(bool withFlush) const {
    std::string out;
    for (const std::string& e : events) {
        if (!withFlush && e == "flush") continue;
        if (!out.empty()) out += ", ";
        out += e;
    }
    return out;
}

}  // namespace quorvane
