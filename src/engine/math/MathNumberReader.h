// Reading numbers out of text the way val does: "." as decimal point whatever the locale.
#pragma once

#include <string_view>

namespace quorvane {

// The leading number of a text, read with "." as decimal point whatever the locale: blanks,
// tabs and line feeds are skipped anywhere, then an optional sign, digits, a fraction and an
// exponent (E or D), or a &H / &O number (16-bit up to FFFF unless a "&" follows, else
// 32-bit). Stops at the first character that does not fit; no number gives 0. False on
// overflow.
bool ReadLeadingNumber(std::string_view text, double& out);

// The hexadecimal digits at the start of a text (blanks skipped as above) as a 32-bit two's
// complement number; no digits give 0. False beyond 32 bits.
bool ReadHexNumber32(std::string_view text, double& out);

}  // namespace quorvane
