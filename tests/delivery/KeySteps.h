// The player's steps for a parsed macro, in the fake injector's notation
// ("down SHIFT, char A, up SHIFT"), for the tests that compare macros with their key steps.
#pragma once

#include <string>

#include "delivery/KeyEventList.h"
#include "delivery/KeyMacroPlayer.h"
#include "fakes/FakeKeyInjector.h"

namespace quorvane {

inline std::string KeySteps(const KeyEventList& list) {
    std::string out;
    KeyMacroPlayer player(list);
    KeyStep step;
    while (player.Next(step)) {
        if (!out.empty()) out += ", ";
        if (step.kind == KeyStep::Character) {
            out += "char " + std::string(1, static_cast<char>(step.code));
        } else {
            out += (step.kind == KeyStep::Down ? "down " : "up ") +
                   FakeKeyInjector::KeyLabel(step.code);
        }
    }
    return out;
}

}  // namespace quorvane
