// Splits a target application's command line into the program and its arguments, the way a
// user writing it expects, without a shell (no variables, globs or redirections):
//  - words are separated by runs of blanks (space, tab, CR, LF);
//  - "..." groups blanks into a word; inside it \" is a quote and \\ a backslash, any other
//    backslash is kept (Windows paths stay intact); a missing closing quote ends at the end;
//  - '...' groups everything literally; an apostrophe without a closing one is kept as it is
//    (Bob's.txt);
//  - outside quotes a backslash before a quote, a backslash or a blank makes it literal;
//  - quoted and plain pieces next to each other form one word, and "" is an empty word.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

std::vector<std::string> SplitCommandWords(std::string_view command);

}  // namespace quorvane
