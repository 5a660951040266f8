#include "delivery/DdeBusMessages.h"

#include "config/CodePage.h"

namespace quorvane {

LocalizedText DdeNoBusText() {
    return {
        "No D-Bus session bus was found: Quorvane runs without its DDE server and DDE "
        "commands.",
        "D-Bus セッションバスが見つかりません。DDE サーバーと DDE コマンドなしで動作します。"};
}

LocalizedText DdeNameTakenText(const std::string& topic, const std::string& busName) {
    const std::string t = CodePage::ToUtf8(topic);
    return {"The DDE topic \"" + t + "\" is already served by another program (bus name " +
                busName + "): Quorvane runs without its DDE server.",
            "DDE トピック「" + t + "」は別のプログラムが使用しています (バス名 " + busName +
                ")。DDE サーバーなしで動作します。"};
}

LocalizedText DdeServeFailedText(const std::string& topic, const std::string& detail) {
    const std::string t = CodePage::ToUtf8(topic);
    const std::string why = detail.empty() ? std::string() : " (" + detail + ")";
    return {"The DDE topic \"" + t + "\" cannot be served" + why +
                ": Quorvane runs without its DDE server.",
            "DDE トピック「" + t + "」を提供できません" + why + "。DDE サーバーなしで動作します。"};
}

LocalizedText DdeServeMessage(const DdeServeStatus& status, const std::string& topic) {
    switch (status.result) {
        case DdeServeResult::Serving:
            return {};
        case DdeServeResult::NoBus:
            return DdeNoBusText();
        case DdeServeResult::NameTaken:
            return DdeNameTakenText(topic, status.busName);
        case DdeServeResult::Failed:
            break;
    }
    return DdeServeFailedText(topic, status.detail);
}

}  // namespace quorvane
