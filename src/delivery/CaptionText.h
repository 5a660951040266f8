// Letter case of captions and target titles, which are code-page bytes: the target is found
// by a case-insensitive substring of its window caption.
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// The upper case of a code point, for the Latin, Greek and Cyrillic letters; others as given.
char32_t UpperCaseCodePoint(char32_t codePoint);
// Every letter of a code-page text in upper case (é -> É, ÿ -> Ÿ); a letter whose capital the
// code page lacks (ß, µ) is kept.
std::string UpperCaseText(std::string_view text);
// The target title as the search uses it: leading and trailing spaces removed, upper case.
void NormalizeTargetTitle(std::string& title);

}  // namespace quorvane
