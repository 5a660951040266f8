// File dialog filters. The string tables hold them in the "Text|pattern|Text|pattern" form;
// Qt wants one "Text (patterns)" entry each. Linux names are case-sensitive, so an extension
// pattern also matches its other letter case (a *.qv3 written on Linux shows under *.QV3).
#pragma once

#include <string>
#include <vector>

namespace quorvane {

// "Quorvane Config (*.QV3)|*.QV3|All Files (*.*)|*.*" gives
// {"Quorvane Config (*.QV3 *.qv3)", "All Files (*)"}. A description that names its patterns
// in parentheses gets the full pattern list there; otherwise it is appended. An odd last
// part is dropped.
std::vector<std::string> FileDialogFilters(const std::string& tableFilter);

}  // namespace quorvane
