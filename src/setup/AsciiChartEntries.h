// The entries of the ASCII chart and the rule that turns a chosen entry into the pick.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The chart's entry for a character code 0..255 (entry index = code): the decimal code after
// one blank, then a TAB and the character with its three-letter name for control codes, for
// example " 65   \tA         " and " 0\t          NUL". The character itself is in the
// entry, raw; a list that shows the entry must make control characters visible itself.
std::string AsciiChartEntry(int code);
const std::array<std::string, 256>& AsciiChartEntries();

// The three-letter name of a control code 0..31 ("BS " and the like keep their blank).
std::string_view ControlCodeName(int code);

// The pick for list index index when the caller's extra entries sit on top of the 256: an
// extra entry gives its own text, any other index the character index - extras. An index
// outside the list (nothing chosen) gives "".
std::string AsciiChartPick(const std::vector<std::string>& extras, int index);

}  // namespace quorvane
