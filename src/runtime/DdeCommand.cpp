#include "runtime/DdeCommand.h"

#include <cmath>

#include "engine/math/MathNumberReader.h"
#include "strings/AsciiCase.h"

namespace quorvane {

DdeCommandText NormaliseDdeCommand(std::string_view text) {
    // Only spaces are trimmed: a tab or line break belongs to the command text.
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);

    const size_t close = text.find_last_of("}]");
    if (close != std::string_view::npos) text = text.substr(0, close + 1);

    DdeCommandText command{std::string(text), AsciiUpperCase(text)};
    std::string& m = command.matching;
    if (!m.empty() && m.front() == '[') m.front() = '{';
    if (!m.empty() && m.back() == ']') m.back() = '}';
    return command;
}

namespace {

// Shared by both argument forms: prefix "{" + keyword + opener, `closing` final characters
// not part of the argument, and at least three characters after the prefix.
std::optional<std::string> Argument(const DdeCommandText& command, std::string_view keyword,
                                    char opener, size_t closing, bool upperCase) {
    const std::string& m = command.matching;
    const size_t prefix = keyword.size() + 2;
    if (m.size() < prefix + 3) return std::nullopt;
    if (m[0] != '{' || m.compare(1, keyword.size(), keyword) != 0 ||
        m[keyword.size() + 1] != opener) {
        return std::nullopt;
    }
    const std::string& source = upperCase ? m : command.received;
    return source.substr(prefix, m.size() - closing - prefix);
}

}  // namespace

std::optional<std::string> CallArgument(const DdeCommandText& command, std::string_view keyword,
                                        bool upperCase) {
    return Argument(command, keyword, '(', 2, upperCase);
}

std::optional<std::string> AssignmentArgument(const DdeCommandText& command,
                                              std::string_view keyword, bool upperCase) {
    return Argument(command, keyword, '=', 1, upperCase);
}

std::optional<double> CommandNumber(std::string_view argument) {
    // Decimal only: the reader's &H and &O forms are not command numbers.
    const size_t first = argument.find_first_not_of(" \t\n");
    if (first != std::string_view::npos && argument[first] == '&') return 0.0;
    double value = 0;
    if (!ReadLeadingNumber(argument, value) || !std::isfinite(value)) return std::nullopt;
    return value;
}

double RoundHalfEven(double value) {
    const double down = std::floor(value);
    const double fraction = value - down;
    if (fraction > 0.5) return down + 1;
    if (fraction < 0.5) return down;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

}  // namespace quorvane
