// The interface strings, addressed by number, in English and Japanese. Both tables are
// compiled in from resources/strings/*.tsv. Texts are UTF-8: they only ever go to widgets,
// message boxes and standard error; code that mixes them with configuration bytes converts
// through the code page (config/CodePage.h).
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

enum class Language { English, Japanese };

// The interface language: the first of LANGUAGE, LC_ALL, LC_MESSAGES, LANG that is set and
// not empty decides; Japanese when it starts with "ja", English otherwise.
Language InterfaceLanguageFromEnvironment();
// The same rule over given values (for tests): the first non-empty value decides.
Language InterfaceLanguageFrom(const std::vector<std::string_view>& values);

// Reads the table text format: one entry a line, the decimal number (1..65535), a TAB, then the
// text, in which \t, \r, \n and \\ stand for TAB, CR, LF and a backslash (any other backslash
// is kept as it is). Lines starting with '#', empty lines and lines that are not entries are
// skipped; CR LF line ends are accepted. A number given twice keeps its first text.
std::map<int, std::string> ParseStringTable(std::string_view tsv);

class StringTable {
  public:
    explicit StringTable(Language language);

    Language language() const { return language_; }
    // The text of a number; empty when the table has no such number.
    const std::string& Text(int id) const;
    bool Has(int id) const;
    // Every number of the table, ascending.
    std::vector<int> Ids() const;

  private:
    Language language_;
};

// The table of the interface language; English until SetInterfaceLanguage is called.
const StringTable& CurrentStrings();
void SetInterfaceLanguage(Language language);

// The text of a number in the interface language (UTF-8); empty when there is none.
std::string LoadString(int id);
// The same with %1 .. %9 replaced by the arguments (UTF-8); a number without an argument is
// kept as it stands.
std::string LoadString(int id, std::initializer_list<std::string_view> args);

}  // namespace quorvane
