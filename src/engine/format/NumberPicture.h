// One section of a numeric picture: digit placeholders 0 and #, the decimal point, thousands
// grouping and scaling with ",", percent, exponents E+ E- e+ e-, and literal text ("quoted",
// \x escaped or plain characters).
#pragma once

#include <string>
#include <string_view>

#include "engine/LocaleInfo.h"
#include "engine/format/FormatDecimal.h"

namespace quorvane {

class NumberPicture {
  public:
    explicit NumberPicture(std::string_view section);

    bool HasDigitPlaceholders() const { return intPlaces_ + fracPlaces_ + expPlaces_ > 0; }

    // Applies the section's percent and scaling and rounds to what the section shows;
    // exponent receives the power of ten of an exponent section (0 otherwise).
    FormatDecimal Prepare(FormatDecimal value, int& exponent) const;

    // Appends the prepared value (its sign ignored); minus puts "-" in front.
    void Render(const FormatDecimal& prepared, int exponent, bool minus, const LocaleInfo& locale,
                std::string& out) const;

  private:
    std::string_view section_;
    int intPlaces_ = 0;
    int intRequired_ = 0;  // integer digits shown at least (from the first "0")
    int fracPlaces_ = 0;
    int fracRequired_ = 0;  // fraction digits shown at least (through the last "0")
    int expPlaces_ = 0;
    int expRequired_ = 0;
    int percent_ = 0;
    int scale_ = 0;  // thousands dividing commas
    bool grouping_ = false;
    bool exponent_ = false;
};

}  // namespace quorvane
