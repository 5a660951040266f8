// The shape of one DDE command text: {KEYWORD}, {KEYWORD(argument)} or {KEYWORD=argument},
// with square brackets allowed for the first and the last brace and any text after the last
// closing brace ignored. Texts are code-page bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "strings/AsciiCase.h"

namespace quorvane {

struct DdeCommandText {
    // Trimmed of spaces and cut after the last '}' or ']', letter case as received.
    std::string received;
    // The same upper-cased, with a leading '[' read as '{' and a trailing ']' as '}'.
    std::string matching;
};

// Normalises a command text for matching. An empty matching text is the empty command.
DdeCommandText NormaliseDdeCommand(std::string_view text);

// The argument of a call command {keyword(argument)}: nullopt unless the matching text starts
// with "{" + keyword + "(" and holds at least one argument character. keyword is upper case.
// The argument is everything up to the final two characters, which are not examined.
std::optional<std::string> CallArgument(const DdeCommandText& command, std::string_view keyword,
                                        bool upperCase);

// The argument of an assignment command {keyword=argument}: nullopt unless the matching text
// starts with "{" + keyword + "=" and the argument has at least two characters. The argument
// is everything up to the final character.
std::optional<std::string> AssignmentArgument(const DdeCommandText& command,
                                              std::string_view keyword, bool upperCase);

// The numeric value of an argument: its leading decimal number (sign, fraction and exponent
// allowed, blanks skipped), 0 when there is none; nullopt when
// the number is too large for a double.
std::optional<double> CommandNumber(std::string_view argument);

// To the nearest whole number, halves to the even neighbour (64.5 -> 64, 65.5 -> 66).
double RoundHalfEven(double value);

}  // namespace quorvane
