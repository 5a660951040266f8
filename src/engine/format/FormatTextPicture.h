// Text pictures: "@" a character or a blank, "&" a character or nothing, "<" lower case,
// ">" upper case, "!" fill from the left; other characters are literal.
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// True when a picture holds a text placeholder outside quotes and escapes; strong is set
// when it holds "@" or "&" (which make letters in it literal).
bool HasTextPlaceholder(std::string_view picture, bool& strong);

// Appends text written with one text picture section. By default placeholders fill from the
// right and characters beyond them come first; with "!" they fill from the left.
void AppendTextPicture(std::string_view section, std::string_view text, std::string& out);

}  // namespace quorvane
