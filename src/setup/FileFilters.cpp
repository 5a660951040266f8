#include "setup/FileFilters.h"

#include <sstream>

#include "strings/AsciiCase.h"

namespace quorvane {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    return parts;
}

// "*.QV3;*.txt" becomes "*.QV3 *.qv3 *.txt *.TXT"; "*.*" (everything on Windows) becomes "*".
std::string LinuxPatterns(const std::string& patterns) {
    std::string out;
    auto add = [&out](const std::string& p) {
        if (out.find(p) != std::string::npos) return;
        if (!out.empty()) out += ' ';
        out += p;
    };
    for (const std::string& p : Split(patterns, ';')) {
        if (p.empty()) continue;
        if (p == "*.*") {
            add("*");
            continue;
        }
        add(p);
        if (AsciiUpperCase(p) != p) {
            add(AsciiUpperCase(p));
        } else if (AsciiLowerCase(p) != p) {
            add(AsciiLowerCase(p));
        }
    }
    return out;
}

}  // namespace

std::vector<std::string> FileDialogFilters(const std::string& tableFilter) {
    const std::vector<std::string> parts = Split(tableFilter, '|');
    std::vector<std::string> filters;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string description = parts[i];
        const std::string patterns = LinuxPatterns(parts[i + 1]);
        const size_t open = description.rfind('(');
        const size_t close = description.rfind(')');
        if (open != std::string::npos && close != std::string::npos && close > open) {
            description =
                description.substr(0, open) + "(" + patterns + ")" + description.substr(close + 1);
        } else {
            description += " (" + patterns + ")";
        }
        filters.push_back(description);
    }
    return filters;
}

}  // namespace quorvane
