#include "strings/StringTable.h"

#include <cstdlib>

namespace quorvane {

namespace detail {
extern const char* const kEnglishTsv;
extern const char* const kJapaneseTsv;
}  // namespace detail

namespace {

constexpr int kLargestId = 65535;  // numbers are 16-bit

std::string Unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            const char n = s[i + 1];
            if (n == 't' || n == 'r' || n == 'n' || n == '\\') {
                out += n == 't' ? '\t' : n == 'r' ? '\r' : n == 'n' ? '\n' : '\\';
                ++i;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// The number of an entry line: decimal digits only, 1..kLargestId; 0 for anything else, so that
// a malformed line is skipped instead of landing on a number it only starts with.
int ParseId(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) return 0;
    int id = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        id = id * 10 + (c - '0');
    }
    return id <= kLargestId ? id : 0;
}

const std::map<int, std::string>& Table(Language language) {
    static const std::map<int, std::string> english = ParseStringTable(detail::kEnglishTsv);
    static const std::map<int, std::string> japanese = ParseStringTable(detail::kJapaneseTsv);
    return language == Language::Japanese ? japanese : english;
}

Language g_language = Language::English;

}  // namespace

std::map<int, std::string> ParseStringTable(std::string_view tsv) {
    std::map<int, std::string> table;
    size_t pos = 0;
    while (pos < tsv.size()) {
        size_t end = tsv.find('\n', pos);
        if (end == std::string_view::npos) end = tsv.size();
        std::string_view line = tsv.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == '#') continue;
        const size_t tab = line.find('\t');
        if (tab == std::string_view::npos) continue;
        const int id = ParseId(line.substr(0, tab));
        if (id > 0) table.emplace(id, Unescape(line.substr(tab + 1)));
    }
    return table;
}

Language InterfaceLanguageFrom(const std::vector<std::string_view>& values) {
    for (std::string_view v : values) {
        if (v.empty()) continue;
        return v.substr(0, 2) == "ja" ? Language::Japanese : Language::English;
    }
    return Language::English;
}

Language InterfaceLanguageFromEnvironment() {
    std::vector<std::string_view> values;
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(name);
        values.emplace_back(v ? v : "");
    }
    return InterfaceLanguageFrom(values);
}

StringTable::StringTable(Language language) : language_(language) {}

const std::string& StringTable::Text(int id) const {
    static const std::string none;
    const auto& table = Table(language_);
    const auto it = table.find(id);
    return it == table.end() ? none : it->second;
}

bool StringTable::Has(int id) const {
    return Table(language_).count(id) != 0;
}

std::vector<int> StringTable::Ids() const {
    std::vector<int> ids;
    for (const auto& [id, text] : Table(language_)) ids.push_back(id);
    return ids;
}

const StringTable& CurrentStrings() {
    static const StringTable english(Language::English);
    static const StringTable japanese(Language::Japanese);
    return g_language == Language::Japanese ? japanese : english;
}

void SetInterfaceLanguage(Language language) {
    g_language = language;
}

std::string LoadString(int id) {
    return CurrentStrings().Text(id);
}

std::string LoadString(int id, std::initializer_list<std::string_view> args) {
    const std::string& text = CurrentStrings().Text(id);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t n =
            i + 1 < text.size() ? static_cast<size_t>(text[i + 1] - '1') : std::string::npos;
        if (text[i] == '%' && n < args.size()) {
            out += *(args.begin() + n);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace quorvane
