#include "engine/format/FormatTextPicture.h"
#include "strings/AsciiCase.h"

namespace quorvane {

namespace {

template <typename Visit>
void Walk(std::string_view s, Visit visit) {
    size_t pos = 0;
    while (pos < s.size()) {
        const char c = s[pos];
        if (c == '"') {
            const size_t close = s.find('"', pos + 1);
            const size_t end = close == std::string_view::npos ? s.size() : close;
            visit('\0', s.substr(pos + 1, end - pos - 1));
            pos = close == std::string_view::npos ? s.size() : close + 1;
        } else if (c == '\\') {
            visit('\0', s.substr(pos + 1, pos + 1 < s.size() ? 1 : 0));
            pos += 2;
        } else if (c == '@' || c == '&' || c == '<' || c == '>' || c == '!') {
            visit(c, s.substr(pos, 1));
            ++pos;
        } else {
            visit('\0', s.substr(pos, 1));
            ++pos;
        }
    }
}

}  // namespace

bool HasTextPlaceholder(std::string_view picture, bool& strong) {
    bool any = false;
    strong = false;
    Walk(picture, [&](char placeholder, std::string_view) {
        if (placeholder == '\0') return;
        any = true;
        if (placeholder == '@' || placeholder == '&') strong = true;
    });
    return any;
}

void AppendTextPicture(std::string_view section, std::string_view text, std::string& out) {
    size_t placeholders = 0;
    int letterCase = 0;  // -1 lower, 1 upper
    bool fromLeft = false;
    Walk(section, [&](char p, std::string_view) {
        if (p == '@' || p == '&') ++placeholders;
        if (p == '<') letterCase = -1;
        if (p == '>') letterCase = 1;
        if (p == '!') fromLeft = true;
    });
    auto put = [&](std::string_view chars) {
        for (char c : chars)
            out += letterCase < 0 ? AsciiLower(c) : letterCase > 0 ? AsciiUpper(c) : c;
    };
    const size_t extra = text.size() > placeholders ? text.size() - placeholders : 0;
    size_t index = 0;  // placeholder number from the left
    Walk(section, [&](char p, std::string_view literal) {
        if (p == '\0') {
            out.append(literal);
            return;
        }
        if (p != '@' && p != '&') return;
        const bool first = index == 0;
        const bool last = index + 1 == placeholders;
        long source;
        if (fromLeft) {
            source = static_cast<long>(index);
        } else {
            if (first) put(text.substr(0, extra));
            source = static_cast<long>(index) - static_cast<long>(placeholders) +
                     static_cast<long>(text.size());
        }
        if (source >= 0 && source < static_cast<long>(text.size())) {
            put(text.substr(static_cast<size_t>(source), 1));
        } else if (p == '@') {
            out += ' ';
        }
        if (fromLeft && last && extra > 0) put(text.substr(placeholders));
        ++index;
    });
    if (placeholders == 0) put(text);
}

}  // namespace quorvane
