#include "delivery/FocusedWindowKeystrokeTarget.h"

#include "delivery/CaptionText.h"
#include "delivery/SendKeyMacro.h"

namespace quorvane {

TargetSearch FocusedWindowKeystrokeTarget::FindTargetWindow(std::string& title) {
    NormalizeTargetTitle(title);
    return {kFocusedWindow, false};
}

void FocusedWindowKeystrokeTarget::SendKeyMacro(const std::string& macro) {
    typer_.SetDirectKeyEvents(IsTrue(g_.DirectKeyEvents));
    quorvane::SendKeyMacro(macro, typer_);
}

}  // namespace quorvane
