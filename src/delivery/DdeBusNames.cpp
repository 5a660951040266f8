#include "delivery/DdeBusNames.h"

#include "strings/HexPair.h"

namespace quorvane {

namespace {

bool IsAsciiLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsAsciiDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string EscapeDdeNamePart(std::string_view part) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    if (part.empty()) return "_";
    std::string out;
    out.reserve(part.size() + 1);
    if (IsAsciiDigit(static_cast<unsigned char>(part.front()))) out += '_';
    for (char ch : part) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_') {
            out += ch;
        } else {
            out += '_';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string DdeBusName(std::string_view application, std::string_view topic) {
    return EscapeDdeNamePart(application) + "." + EscapeDdeNamePart(topic);
}

bool IsValidWellKnownBusName(std::string_view name) {
    if (name.empty() || name.size() > 255) return false;
    int elements = 0;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('.', start);
        if (end == std::string_view::npos) end = name.size();
        const std::string_view element = name.substr(start, end - start);
        if (element.empty() || IsAsciiDigit(static_cast<unsigned char>(element.front())))
            return false;
        for (char ch : element) {
            const auto c = static_cast<unsigned char>(ch);
            if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '_' && c != '-') return false;
        }
        ++elements;
        start = end + 1;
    }
    return elements >= 2;
}

std::optional<std::string> UnescapeDdeNamePart(std::string_view escaped) {
    if (escaped == "_") return std::string();
    size_t i = 0;
    if (escaped.size() >= 2 && escaped[0] == '_' &&
        IsAsciiDigit(static_cast<unsigned char>(escaped[1])))
        i = 1;
    std::string out;
    while (i < escaped.size()) {
        const auto c = static_cast<unsigned char>(escaped[i]);
        if (const auto byte = c == '_' ? HexPairAt(escaped, i + 1) : std::nullopt) {
            out += *byte;
            i += 3;
            continue;
        }
        if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '_') return std::nullopt;
        out += static_cast<char>(c);
        ++i;
    }
    return out;
}

std::optional<DdeAddress> ParseDdeBusName(std::string_view busName) {
    const size_t dot = busName.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    auto application = UnescapeDdeNamePart(busName.substr(0, dot));
    auto topic = UnescapeDdeNamePart(busName.substr(dot + 1));
    if (!application || !topic) return std::nullopt;
    return DdeAddress{*application, *topic};
}

}  // namespace quorvane
