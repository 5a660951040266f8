// Texts on the bus are UTF-8; inside they are code-page bytes. A bus string cannot hold
// U+0000, so a NUL byte travels as U+2400 (SYMBOL FOR NULL) and comes back as NUL.
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// Code-page bytes to the UTF-8 of a bus string.
std::string DdeTextToBus(std::string_view bytes);
// A bus string to code-page bytes. A character the code page lacks becomes '?' and clears
// *lossless (when given); the caller decides whether such a text may be used.
std::string DdeTextFromBus(std::string_view utf8, bool* lossless = nullptr);

}  // namespace quorvane
