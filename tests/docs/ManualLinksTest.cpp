// The manual's pages hold together: every local link leads to a page and an anchor that
// exist, every image is there, the index links every page, the tags of each page are closed
// in order, and no page still points at the old markdown page.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "docs/ManualPages.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

std::set<std::string> Ids(const std::string& page) {
    std::set<std::string> ids;
    const std::string html = manual::PageText(page);
    static const std::regex id("\\sid=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), id); it != std::sregex_iterator();
         ++it) {
        ids.insert((*it)[1].str());
    }
    return ids;
}

TEST(ManualLinks, EveryLocalLinkAndImageIsThere) {
    const std::vector<std::string> pages = manual::ManualPageNames();
    ASSERT_GE(pages.size(), 8u);
    static const std::regex reference("\\s(href|src)=\"([^\"]+)\"");
    int links = 0;
    for (const std::string& page : pages) {
        const std::string html = manual::PageText(page);
        const std::set<std::string> ownIds = Ids(page);
        for (auto it = std::sregex_iterator(html.begin(), html.end(), reference);
             it != std::sregex_iterator(); ++it) {
            const std::string target = (*it)[2].str();
            if (target.rfind("http://", 0) == 0 || target.rfind("https://", 0) == 0) continue;
            ++links;
            const size_t hash = target.find('#');
            const std::string file = target.substr(0, hash);
            const std::string anchor = hash == std::string::npos ? "" : target.substr(hash + 1);
            SCOPED_TRACE(page + " -> " + target);
            if (!file.empty()) {
                EXPECT_TRUE(fs::exists(manual::DocsFolder() + "/" + file)) << "missing";
            }
            if (!anchor.empty()) {
                const std::set<std::string> ids = file.empty() ? ownIds : Ids(file);
                EXPECT_TRUE(ids.count(anchor)) << "no id=\"" << anchor << "\"";
            }
        }
        EXPECT_EQ(html.find("driving-quorvane.md"), std::string::npos) << page;
    }
    EXPECT_GE(links, 100);
}

TEST(ManualLinks, TheIndexLinksEveryPage) {
    const std::string index = manual::PageText("index.html");
    for (const std::string& page : manual::ManualPageNames()) {
        if (page == "index.html") continue;
        EXPECT_NE(index.find("href=\"" + page), std::string::npos) << page;
        // ... and every page leads back to the index.
        EXPECT_NE(manual::PageText(page).find("href=\"index.html\""), std::string::npos) << page;
    }
}

// The elements the pages use that need a closing tag are closed, in order.
TEST(ManualLinks, EveryPageClosesItsTagsInOrder) {
    const std::set<std::string> closed = {
        "html", "head",   "title",  "body",       "header", "nav", "div",   "p",
        "ol",   "ul",     "li",     "dl",         "dt",     "dd",  "table", "tr",
        "th",   "td",     "pre",    "code",       "kbd",    "var", "a",     "b",
        "em",   "strong", "figure", "figcaption", "h1",     "h2",  "h3"};
    static const std::regex tag("<(/?)([a-zA-Z0-9]+)[^>]*>");
    for (const std::string& page : manual::ManualPageNames()) {
        SCOPED_TRACE(page);
        const std::string html = manual::PageText(page);
        std::vector<std::string> open;
        for (auto it = std::sregex_iterator(html.begin(), html.end(), tag);
             it != std::sregex_iterator(); ++it) {
            const std::string name = (*it)[2].str();
            if (!closed.count(name)) continue;
            if ((*it)[1].str().empty()) {
                open.push_back(name);
                continue;
            }
            ASSERT_FALSE(open.empty()) << "</" << name << "> closes nothing";
            ASSERT_EQ(open.back(), name) << "</" << name << "> closes <" << open.back() << ">";
            open.pop_back();
        }
        EXPECT_TRUE(open.empty()) << "<" << (open.empty() ? "" : open.back()) << "> is not closed";
        EXPECT_NE(html.find("<!DOCTYPE html>"), std::string::npos);
        EXPECT_NE(html.find("<link rel=\"stylesheet\" href=\"style.css\">"), std::string::npos);
    }
}

}  // namespace
}  // namespace quorvane
