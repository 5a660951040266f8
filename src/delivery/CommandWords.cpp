#include "delivery/CommandWords.h"

namespace quorvane {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool EscapableOutside(char c) {
    return c == '"' || c == '\'' || c == '\\' || IsBlank(c);
}

}  // namespace

std::vector<std::string> SplitCommandWords(std::string_view command) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;  // a word has begun (it may still be empty: "")
    size_t i = 0;
    const size_t n = command.size();
    while (i < n) {
        const char c = command[i];
        if (IsBlank(c)) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            ++i;
            continue;
        }
        inWord = true;
        if (c == '"') {
            ++i;
            while (i < n && command[i] != '"') {
                if (command[i] == '\\' && i + 1 < n &&
                    (command[i + 1] == '"' || command[i + 1] == '\\')) {
                    ++i;
                }
                word += command[i++];
            }
            if (i < n) ++i;  // the closing quote
        } else if (c == '\'' && command.find('\'', i + 1) != std::string_view::npos) {
            const size_t close = command.find('\'', i + 1);
            word.append(command.substr(i + 1, close - i - 1));
            i = close + 1;
        } else if (c == '\\' && i + 1 < n && EscapableOutside(command[i + 1])) {
            word += command[i + 1];
            i += 2;
        } else {
            word += c;
            ++i;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

}  // namespace quorvane
