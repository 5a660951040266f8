#include "runtime/DesktopActivationHooks.h"

#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {}

KeystrokeMessage KeystrokesUnavailableMessage() {
    // No string-table entry fits, so the two languages are kept here.
    if (CurrentStrings().language() == Language::Japanese) {
        return {
            "X11 ディスプレイに接続できないため、キーストロークを送信できません。"
            "データは引き続き受信・表示されますが、どのアプリケーションにも入力されません。",
            CurrentStrings().Text(kStrQuorvaneTitle)};
    }
    return {
        "Keystrokes cannot be sent: they need an X11 display, and none can be reached. "
        "Records are still read and shown, but typed into no application.",
        CurrentStrings().Text(kStrQuorvaneTitle)};
}

void DesktopActivationHooks::Program(const SetupGlobals& g) {
    if (g.Mode == kModeKeystrokes && !keystrokesAvailable_ && !keystrokeMessageShown_) {
        keystrokeMessageShown_ = true;
        const KeystrokeMessage message = KeystrokesUnavailableMessage();
        messages_.Show(message.text, message.title, MessageButtons::Ok, MessageIcon::Exclamation);
    }
    if (hotKeys_) hotKeys_->Program(g);
}

}  // namespace quorvane
