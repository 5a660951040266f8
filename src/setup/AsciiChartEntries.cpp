#include "setup/AsciiChartEntries.h"

namespace quorvane {

namespace {

constexpr std::string_view kControlNames =
    "NULSOHSTXETXEOTENQACKBELBS HT LF VT FF CR SO SI DLEDC1DC2DC3DC4NAKSYNETBCANEM SUBESCFS GS RS "
    "US ";

}  // namespace

std::string_view ControlCodeName(int code) {
    if (code < 0 || code > 31) return {};
    return kControlNames.substr(static_cast<size_t>(code) * 3, 3);
}

std::string AsciiChartEntry(int code) {
    if (code < 0 || code > 255) return {};
    std::string entry = " " + std::to_string(code);
    if (code == 0) return entry + "\t          NUL";
    if (code == 9) return entry + "\t          TAB";
    entry += "   \t";
    entry += static_cast<char>(code);
    entry += "         ";
    if (code < 32) entry += ControlCodeName(code);
    return entry;
}

const std::array<std::string, 256>& AsciiChartEntries() {
    static const std::array<std::string, 256> entries = [] {
        std::array<std::string, 256> all;
        for (int code = 0; code < 256; ++code)
            all[static_cast<size_t>(code)] = AsciiChartEntry(code);
        return all;
    }();
    return entries;
}

std::string AsciiChartPick(const std::vector<std::string>& extras, int index) {
    const int extra = static_cast<int>(extras.size());
    if (index < 0 || index >= extra + 256) return {};
    if (index < extra) return extras[static_cast<size_t>(index)];
    return std::string(1, static_cast<char>(index - extra));
}

}  // namespace quorvane
