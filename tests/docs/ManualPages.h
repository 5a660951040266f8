// Reads the HTML pages of the manual (docs/*.html) for the tests that check them: the
// marked command examples with the output shown after them, and the rows of the worked
// example tables. Plain C++, so that unit, D-Bus and end-to-end tests can all use it.
//
// The markers, as the pages write them:
//   <pre class="example" data-example="NAME">code</pre>         a command a test runs
//   <pre class="example-system" data-example="NAME">code</pre>  a command that changes the
//       machine or needs its hardware: its syntax and programs are checked, it is not run
//   <pre class="example-file" data-example="NAME">text</pre>    a file's text (unit, rule)
//   <pre class="output">text</pre>                               right after an example: what
//       it prints; "…" stands for anything (times, numbers that change)
// data-language="python" on an example says it is a Python program; the default is the shell.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace quorvane::manual {

struct PageExample {
    std::string page;      // file name, such as "headless.html"
    std::string kind;      // "example", "example-system" or "example-file"
    std::string name;      // data-example
    std::string language;  // "sh" or "python"
    std::string code;      // the text of the block, entities decoded
    bool hasOutput = false;
    std::string output;  // the text of the output block after it
};

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string DocsFolder() {
    return std::string(QUORVANE_SOURCE_DIR) + "/docs";
}

// The page file names of docs/, sorted.
inline std::vector<std::string> ManualPageNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(DocsFolder())) {
        if (entry.path().extension() == ".html") names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string PageText(const std::string& page) {
    return ReadWholeFile(DocsFolder() + "/" + page);
}

// The text of HTML without its tags, the five entities the pages use decoded.
inline std::string PlainText(std::string html) {
    static const std::regex tag("<[^>]*>");
    html = std::regex_replace(html, tag, "");
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&nbsp;", " "}};
    for (const auto& [entity, text] : entities) {
        for (size_t at = html.find(entity); at != std::string::npos;
             at = html.find(entity, at + 1)) {
            html.replace(at, std::char_traits<char>::length(entity), text);
        }
    }
    // &amp; last, so that "&amp;lt;" stays "&lt;".
    for (size_t at = html.find("&amp;"); at != std::string::npos; at = html.find("&amp;", at + 1))
        html.replace(at, 5, "&");
    return html;
}

// The value of attribute name in the attribute text of a tag; empty when absent.
inline std::string Attribute(const std::string& attributes, const std::string& name) {
    const std::regex pattern("(^|\\s)" + name + "=\"([^\"]*)\"");
    std::smatch m;
    return std::regex_search(attributes, m, pattern) ? m[2].str() : std::string();
}

inline std::vector<PageExample> PageExamples(const std::string& page) {
    const std::string html = PageText(page);
    std::vector<PageExample> examples;
    static const std::regex block("<pre([^>]*)>([\\s\\S]*?)</pre>");
    bool outputMayFollow = false;  // the block before was an example without output yet
    auto it = std::sregex_iterator(html.begin(), html.end(), block);
    for (; it != std::sregex_iterator(); ++it) {
        const std::string attributes = (*it)[1].str();
        const std::string kind = Attribute(attributes, "class");
        if (kind == "output") {
            // Only an output block that directly follows its example belongs to it.
            if (outputMayFollow) {
                examples.back().hasOutput = true;
                examples.back().output = PlainText((*it)[2].str());
            }
            outputMayFollow = false;
            continue;
        }
        outputMayFollow = false;
        if (kind != "example" && kind != "example-system" && kind != "example-file") continue;
        PageExample example;
        example.page = page;
        example.kind = kind;
        example.name = Attribute(attributes, "data-example");
        example.language = Attribute(attributes, "data-language");
        if (example.language.empty()) example.language = "sh";
        example.code = PlainText((*it)[2].str());
        examples.push_back(example);
        outputMayFollow = true;
    }
    return examples;
}

inline std::vector<PageExample> AllExamples() {
    std::vector<PageExample> all;
    for (const std::string& page : ManualPageNames()) {
        for (PageExample& e : PageExamples(page)) all.push_back(std::move(e));
    }
    return all;
}

// How many times the marker text occurs in the page: a cross-check of the block parser, so
// that a marker the parser does not see (a typo in the tag) still counts.
inline size_t CountOccurrences(const std::string& text, const std::string& marker) {
    size_t n = 0;
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1))
        ++n;
    return n;
}

// The rows of the tables of class tableClass: each row's <td> cells as plain text. Header
// rows (<th> only) are left out.
inline std::vector<std::vector<std::string>> TableRows(
    const std::string& page, const std::string& tableClass,
    std::vector<std::string>* tableAttributes = nullptr) {
    const std::string html = PageText(page);
    std::vector<std::vector<std::string>> rows;
    static const std::regex table("<table([^>]*)>([\\s\\S]*?)</table>");
    static const std::regex row("<tr[^>]*>([\\s\\S]*?)</tr>");
    static const std::regex cell("<td[^>]*>([\\s\\S]*?)</td>");
    for (auto t = std::sregex_iterator(html.begin(), html.end(), table);
         t != std::sregex_iterator(); ++t) {
        const std::string attributes = (*t)[1].str();
        if (Attribute(attributes, "class") != tableClass) continue;
        if (tableAttributes) tableAttributes->push_back(attributes);
        const std::string body = (*t)[2].str();
        for (auto r = std::sregex_iterator(body.begin(), body.end(), row);
             r != std::sregex_iterator(); ++r) {
            const std::string cells = (*r)[1].str();
            std::vector<std::string> texts;
            for (auto c = std::sregex_iterator(cells.begin(), cells.end(), cell);
                 c != std::sregex_iterator(); ++c) {
                texts.push_back(PlainText((*c)[1].str()));
            }
            if (!texts.empty()) rows.push_back(texts);
        }
    }
    return rows;
}

}  // namespace quorvane::manual
