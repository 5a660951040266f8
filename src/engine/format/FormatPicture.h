// Pictures of up to four sections separated by ";": positive, negative, zero and empty value
// for numbers; text and empty text for text pictures.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "engine/LocaleInfo.h"

namespace quorvane {

struct PictureSections {
    std::array<std::string_view, 4> section;
    int count = 0;
};

// Splits at ";" outside quotes and escapes; sections beyond the fourth are ignored.
PictureSections SplitSections(std::string_view picture);

enum class PictureKind { Number, Date, Text };

// Digit placeholders make a numeric picture (its letters are then literal); otherwise date
// and time placeholders make a date picture, text placeholders a text picture. "@" and "&"
// win over letters, so "Name: @" is a text picture.
PictureKind ClassifyPicture(std::string_view picture);

// Appends a finite number written with a numeric picture. A negative value in the negative
// section loses its minus sign; missing sections fall back to the first; a value that rounds
// to zero uses the zero section when there is one.
void AppendNumberPicture(const PictureSections& sections, double number, int significantDigits,
                         const LocaleInfo& locale, std::string& out);

// Appends a section written for the empty value (its placeholders show zero, no sign).
void AppendEmptySection(std::string_view section, const LocaleInfo& locale, std::string& out);

}  // namespace quorvane
