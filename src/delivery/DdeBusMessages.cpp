#include "delivery/DdeBusMessages.h"

#include "config/CodePage.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

std::string DdeNoBusText() {
    return LoadString(kStrDdeNoBus);
}

std::string DdeNameTakenText(const std::string& topic, const std::string& busName) {
    return LoadString(kStrDdeNameTaken, {CodePage::ToUtf8(topic), busName});
}

std::string DdeServeFailedText(const std::string& topic, const std::string& detail) {
    const std::string why = detail.empty() ? std::string() : " (" + detail + ")";
    return LoadString(kStrDdeServeFailed, {CodePage::ToUtf8(topic), why});
}

std::string DdeServeMessage(const DdeServeStatus& status, const std::string& topic) {
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
