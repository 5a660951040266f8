#include "strings/StringIds.h"
#include "strings/StringTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <utility>

namespace quorvane {
namespace {

// The numbers in use, range by range; both tables must hold exactly these.
std::vector<int> ExpectedIds() {
    const std::pair<int, int> ranges[] = {
        {20, 21},       {1201, 1208},   {1301, 1306},  {1401, 1415}, {1501, 1508},   {1601, 1605},
        {1701, 1705},   {1801, 1803},   {1901, 1903},  {1905, 1906}, {2001, 2022},   {2101, 2128},
        {2201, 2220},   {2301, 2311},   {2401, 2432},  {2501, 2507}, {2601, 2614},   {2701, 2716},
        {2801, 2805},   {2901, 2910},   {3001, 3013},  {4001, 4044}, {5000, 5008},   {6000, 6007},
        {7000, 7004},   {8005, 8006},   {9000, 9016},  {9100, 9105}, {30100, 30100}, {30200, 30201},
        {30300, 30306}, {30400, 30406}, {30530, 30530}};
    std::vector<int> ids;
    for (const auto& [first, last] : ranges)
        for (int id = first; id <= last; ++id) ids.push_back(id);
    return ids;
}

const StringTable& English() {
    static const StringTable table(Language::English);
    return table;
}

const StringTable& Japanese() {
    static const StringTable table(Language::Japanese);
    return table;
}

std::string ReadSourceFile(const std::string& relative) {
    std::ifstream in(std::string(QUORVANE_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The code point count of a well-formed UTF-8 text; nothing for overlong forms, surrogates,
// values above U+10FFFF, stray continuation bytes and cut sequences.
std::optional<size_t> Utf8Length(const std::string& s) {
    size_t count = 0;
    for (size_t i = 0; i < s.size(); ++count) {
        const unsigned char lead = static_cast<unsigned char>(s[i]);
        int extra = 0;
        uint32_t cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, cp = lead & 0x07;
        } else {
            return std::nullopt;
        }
        if (i + extra >= s.size() && extra > 0) return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (c & 0x3F);
        }
        static const uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return std::nullopt;
        i += extra + 1;
    }
    return count;
}

// The accelerator letters of a caption, upper-cased: the character after each single "&".
std::multiset<char> Accelerators(const std::string& text) {
    std::multiset<char> letters;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;  // "&&" is a literal ampersand
            continue;
        }
        letters.insert(static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1]))));
    }
    return letters;
}

// How often a placeholder that code replaces ("??", "nn", "xx") stands in a text as a token of
// its own; "nn" inside "Cannot" or "Connector" is not one.
int PlaceholderCount(const std::string& text, const std::string& token) {
    std::string escaped;
    for (char c : token) escaped += c == '?' ? std::string("\\?") : std::string(1, c);
    const std::regex pattern("(^|[^A-Za-z])" + escaped + "(?![A-Za-z])");
    return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), pattern),
                                          std::sregex_iterator()));
}

TEST(StringTable, BothTablesHoldExactlyTheNumbersInUse) {
    const std::vector<int> expected = ExpectedIds();
    ASSERT_EQ(expected.size(), 344u);
    EXPECT_EQ(English().Ids(), expected);
    EXPECT_EQ(Japanese().Ids(), expected);
}

// The loader keeps the first of two equal numbers, so duplicates and disorder are only
// visible in the files themselves.
TEST(StringTable, FilesAreWellFormedAscendingAndWithoutDuplicates) {
    const std::regex entry(R"(^([1-9][0-9]*)\t.*$)");
    for (const char* file : {"resources/strings/en.tsv", "resources/strings/ja.tsv"}) {
        SCOPED_TRACE(file);
        const std::string text = ReadSourceFile(file);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.find('\r'), std::string::npos) << "LF line ends only";
        EXPECT_EQ(text.back(), '\n');
        std::istringstream lines(text);
        std::string line;
        int previous = 0;
        int entries = 0;
        bool sawComment = false;
        while (std::getline(lines, line)) {
            if (!line.empty() && line[0] == '#') {
                EXPECT_EQ(entries, 0) << "comments stand at the top: " << line;
                sawComment = true;
                continue;
            }
            std::smatch m;
            ASSERT_TRUE(std::regex_match(line, m, entry)) << "not an entry: " << line;
            const int id = std::stoi(m[1]);
            EXPECT_GT(id, previous) << line;
            previous = id;
            ++entries;
        }
        EXPECT_TRUE(sawComment) << "the format note is missing";
        EXPECT_EQ(entries, 344);
    }
}

TEST(StringTable, TranslationKeepsAcceleratorsPlaceholdersAndEdgeBlanks) {
    for (int id : ExpectedIds()) {
        const std::string& en = English().Text(id);
        const std::string& ja = Japanese().Text(id);
        SCOPED_TRACE(std::to_string(id) + " \"" + en + "\" / \"" + ja + "\"");
        ASSERT_FALSE(en.empty());
        ASSERT_FALSE(ja.empty());
        EXPECT_EQ(Accelerators(ja), Accelerators(en));
        for (const char* token : {"??", "nn", "xx"})
            EXPECT_EQ(PlaceholderCount(ja, token), PlaceholderCount(en, token)) << token;
        for (const std::string argument : {"%1", "%2", "%3"})  // LoadString's arguments
            EXPECT_EQ(ja.find(argument) == std::string::npos,
                      en.find(argument) == std::string::npos)
                << argument;
        // Texts that are glued to other texts carry their blanks on the same side.
        EXPECT_EQ(ja.front() == ' ', en.front() == ' ');
        EXPECT_EQ(ja.back() == ' ', en.back() == ' ');
        // File dialog filters: the same number of description|pattern pieces.
        EXPECT_EQ(std::count(ja.begin(), ja.end(), '|'), std::count(en.begin(), en.end(), '|'));
    }
}

TEST(StringTable, TextsAreValidUtf8WithoutControlCharacters) {
    for (int id : ExpectedIds()) {
        SCOPED_TRACE(id);
        const std::string& en = English().Text(id);
        const std::string& ja = Japanese().Text(id);
        EXPECT_TRUE(Utf8Length(ja).has_value()) << ja;
        for (char c : en) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "English texts are plain ASCII";
        for (char c : ja) EXPECT_FALSE(c >= 0 && c < 0x20) << "no raw control characters";
    }
}

TEST(StringTable, CheckHelpersSeeTokensOnlyWhereTheyAre) {
    EXPECT_EQ(PlaceholderCount("nn byte records with xx field(s), nn again", "nn"), 2);
    EXPECT_EQ(PlaceholderCount("Cannot use the Connector", "nn"), 0);
    EXPECT_EQ(PlaceholderCount("with ?? fields", "??"), 1);
    EXPECT_EQ(PlaceholderCount("with ? fields", "??"), 0);
    EXPECT_EQ(Accelerators("Save &As..."), std::multiset<char>{'A'});
    EXPECT_EQ(Accelerators("Re&sume"), std::multiset<char>{'S'});
    EXPECT_TRUE(Accelerators("Fish && Chips").empty());
}

TEST(StringTable, UtfCheckRejectsBrokenSequences) {
    EXPECT_EQ(Utf8Length("\xE5\x85\xA5\xE5\x8A\x9B"), 2u);  // two kanji
    EXPECT_EQ(Utf8Length("\xF0\x9F\x98\x80"), 1u);
    for (const char* broken :
         {"\xE5\x85", "\x85", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF", "a\xE5"})
        EXPECT_FALSE(Utf8Length(broken).has_value()) << broken;
}

TEST(StringTable, OnlyAFewJapaneseTextsStayEnglish) {
    int same = 0;
    for (int id : ExpectedIds())
        if (English().Text(id) == Japanese().Text(id)) ++same;
    EXPECT_LE(same, 25);
    EXPECT_GE(same, 1);  // "&OK" stays "&OK"
}

// Code looks names up by display text, so names within one list must differ.
TEST(StringTable, NamedFormatsAndDelimiterNamesAreDistinct) {
    for (const StringTable* table : {&English(), &Japanese()}) {
        std::set<std::string> formats;
        for (int id = 9004; id <= 9009; ++id) formats.insert(table->Text(id));
        EXPECT_EQ(formats.size(), 6u);
        std::set<std::string> delimiters;
        for (int id = 9013; id <= 9016; ++id) delimiters.insert(table->Text(id));
        EXPECT_EQ(delimiters.size(), 4u);
    }
}

TEST(StringTable, QuotedTextsComeBackThroughLoadString) {
    const std::pair<int, const char*> quoted[] = {
        {4032, "File is not a valid configuration file."},
        {4033, "Quorvane File Error"},
        {4029,
         "The selected configuration file was created with a previous version of Quorvane. If you "
         "save it from this version of Quorvane it will not be readable by your previous version."},
        {4005, "Invalid Input"},
        {4027, "File has changed. Save?"},
        {4028, "Save Current Configuration?"},
        {4030, "Device Not Available."},
        {4031, "Device Error"},
        {4019, "delimited records with ?? fields and Cr or CrLf at end of record."},
        {4020, "nn byte fixed length records with xx field(s)."},
        {9004, "General Number"},
        {9005, "Currency"},
        {9006, "Fixed"},
        {9007, "Standard"},
        {9008, "Percent"},
        {9009, "Scientific"},
        {9013, "Comma"},
        {9016, "Asterisk"},
        {2102, "&File"},
        {2106, "Save &As..."},
        {2109, "&Send Keystokes To..."},
        {2116, "Pre-&Input Character Translations..."},
        {1401, "Port Analyze"},
        {2008, "Keystroke &List..."},
        {2012, "Toggle DTR for100ms"},
        {3009, "Resume For &One Record "},
        {5007, "Quorvane Setup"},
        {5008, "Quorvane Setup (Untitled)"},
        {7001, "Use Com port name as DDE Topic (i.e. \"COM1\")"},
        {8005, "Cannot Establish DDE Output Buffer Link With:"},
        {8006, "Cannot Establish DDE Command Link With:"},
        {20, "Ms Sans Serif"},
        {21, "0"},
    };
    SetInterfaceLanguage(Language::English);
    for (const auto& [id, text] : quoted) EXPECT_EQ(LoadString(id), text) << id;
}

TEST(StringTable, LoadStringFollowsTheInterfaceLanguage) {
    SetInterfaceLanguage(Language::Japanese);
    EXPECT_EQ(CurrentStrings().language(), Language::Japanese);
    EXPECT_EQ(
        LoadString(20),
        "\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF");
    EXPECT_EQ(LoadString(21), "128");
    EXPECT_EQ(LoadString(1207), "&OK");
    EXPECT_NE(LoadString(4005), English().Text(4005));
    EXPECT_EQ(LoadString(4005), Japanese().Text(4005));
    EXPECT_EQ(LoadString(1904), "");  // a gap in the ranges
    EXPECT_FALSE(CurrentStrings().Has(1904));
    SetInterfaceLanguage(Language::English);
    EXPECT_EQ(LoadString(4005), "Invalid Input");
    EXPECT_EQ(LoadString(0), "");
    EXPECT_EQ(LoadString(-4005), "");
    EXPECT_EQ(LoadString(99999), "");
}

TEST(StringTable, ArgumentsFillTheirNumbersInEitherOrder) {
    const std::string topic = "Lab \xC3\xA9";  // UTF-8, with a '%' in the bus name below
    EXPECT_EQ(LoadString(kStrDdeNameTaken, {topic, "Quorvane.Lab_25_1"}),
              "The DDE topic \"Lab \xC3\xA9\" is already served by another program (bus name "
              "Quorvane.Lab_25_1): Quorvane runs without its DDE server.");
    EXPECT_EQ(LoadString(kStrDdeServeFailed, {"COM1", ""}),
              "The DDE topic \"COM1\" cannot be served: Quorvane runs without its DDE server.");
    // An argument is not read again for numbers; a number without an argument stays.
    EXPECT_EQ(LoadString(kStrDdeServeFailed, {"%2"}),
              "The DDE topic \"%2\" cannot be served%2: Quorvane runs without its DDE server.");
    SetInterfaceLanguage(Language::Japanese);
    const std::string ja = LoadString(kStrDdeNameTaken, {"COM1", "Quorvane.COM1"});
    SetInterfaceLanguage(Language::English);
    EXPECT_NE(ja.find("\xE3\x80\x8C"
                      "COM1\xE3\x80\x8D"),
              std::string::npos)
        << ja;  // 「COM1」
    EXPECT_NE(ja.find("Quorvane.COM1"), std::string::npos);
}

TEST(StringTable, LanguageComesFromTheFirstNonEmptyValue) {
    using V = std::vector<std::string_view>;
    const std::pair<V, Language> cases[] = {
        {{"", "", "", ""}, Language::English},
        {{"", "", "", "ja_JP.UTF-8"}, Language::Japanese},
        {{"ja", "en_US.UTF-8", "", ""}, Language::Japanese},
        {{"en_US", "ja_JP.UTF-8", "ja_JP", "ja_JP"}, Language::English},
        {{"", "C", "", "ja_JP.UTF-8"}, Language::English},
        {{"", "", "ja_JP.eucJP", "en_GB"}, Language::Japanese},
        {{"ja:en_US", "", "", ""}, Language::Japanese},  // a LANGUAGE priority list
        {{"j", "", "", ""}, Language::English},
        {{"de_DE", "", "", ""}, Language::English},
        {{}, Language::English},
    };
    for (const auto& [values, language] : cases) {
        std::string shown;
        for (auto v : values) shown += "[" + std::string(v) + "]";
        EXPECT_EQ(InterfaceLanguageFrom(values), language) << shown;
    }
}

// Sets the four locale variables for one test and puts the old values back afterwards.
class LocaleEnvironment {
  public:
    LocaleEnvironment() {
        for (const char* name : kNames) {
            const char* v = std::getenv(name);
            saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
        }
    }
    ~LocaleEnvironment() {
        for (const auto& [name, value] : saved_) Set(name, value);
    }
    void Set(const char* name, const std::optional<std::string>& value) {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }

    static constexpr const char* kNames[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};

  private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST(StringTable, LanguageFromTheEnvironmentInItsOrder) {
    LocaleEnvironment env;
    for (const char* name : LocaleEnvironment::kNames) env.Set(name, std::nullopt);
    EXPECT_EQ(InterfaceLanguageFromEnvironment(), Language::English);
    env.Set("LANG", "ja_JP.UTF-8");
    EXPECT_EQ(InterfaceLanguageFromEnvironment(), Language::Japanese);
    env.Set("LC_MESSAGES", "en_US.UTF-8");
    EXPECT_EQ(InterfaceLanguageFromEnvironment(), Language::English);
    env.Set("LC_ALL", "ja_JP.UTF-8");
    EXPECT_EQ(InterfaceLanguageFromEnvironment(), Language::Japanese);
    env.Set("LANGUAGE", "");  // set but empty: passed over
    EXPECT_EQ(InterfaceLanguageFromEnvironment(), Language::Japanese);
    env.Set("LANGUAGE", "en");
    EXPECT_EQ(InterfaceLanguageFromEnvironment(), Language::English);
}

TEST(StringTable, ParsingDecodesEscapesAndSkipsWhatIsNotAnEntry) {
    const auto table = ParseStringTable(
        "# a comment\t with a tab\n"
        "\n"
        "1\ta\\tb\\nc\\rd\\\\e\n"
        "2\t\\\\n stays a backslash and n\n"
        "3\tkept \\x and a last backslash \\\n"
        "4\tcrlf line\r\n"
        "5\t\n"
        "6\t#not a comment\tinner tab kept\n"
        "no tab here\n"
        "7x\tnumber with junk\n"
        "0\tzero is no number\n"
        "-8\tnegative\n"
        "65536\ttoo large\n"
        "65535\tlargest\n"
        " 9\tleading blank\n"
        "1\tsecond text of 1\n"
        "10\tno line end at the end");
    const std::map<int, std::string> expected = {
        {1, "a\tb\nc\rd\\e"},
        {2, "\\n stays a backslash and n"},
        {3, "kept \\x and a last backslash \\"},
        {4, "crlf line"},
        {5, ""},
        {6, "#not a comment\tinner tab kept"},
        {10, "no line end at the end"},
        {65535, "largest"},
    };
    EXPECT_EQ(table, expected);
}

}  // namespace
}  // namespace quorvane
