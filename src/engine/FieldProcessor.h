// What each field keeps of its bytes (the input filter, applied while the record arrives)
// and how its value is prepared once the record has ended: hexadecimal or octal conversion,
// math, format and the pre-transfer translation.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/SetupGlobals.h"
#include "engine/FieldData.h"
#include "engine/LocaleInfo.h"
#include "engine/math/MathExpression.h"

namespace quorvane {

// The pre-transfer translation in force for the current Mode: byte k becomes entry k.
using TransferTableArray = std::array<std::string, 256>;

// Reads text (leading spaces removed; spaces, tabs and line feeds inside skipped; stopping
// at the first non-digit) as a number of base 16 or 8 and writes its decimal text to
// decimal. False when the number is too long to convert; decimal is then untouched.
bool ConvertRadixText(std::string_view text, int base, std::string& decimal);

class FieldProcessor {
  public:
    // g and locale must outlive the processor.
    FieldProcessor(const SetupGlobals& g, const LocaleInfo& locale);

    // Takes the per-byte decisions from the field filters, Mode, DecimalSeparator and the
    // transfer table in force. table must outlive the processor (the engine owns it).
    void Activate(const TransferTableArray& table);

    // The text that byte b adds to field n (1..41): empty, one or two characters.
    std::string FilterInputByte(uint8_t b, int n) const;

    // Appends FilterInputByte(b, n) to field without building a temporary.
    void AppendFilteredByte(std::string& field, uint8_t b, int n) const {
        switch (filterKind_[static_cast<size_t>(n)]) {
            case FilterKind::Keep:
                if (!dropped_[b]) field.push_back(static_cast<char>(b));
                break;
            case FilterKind::Numeric:
                if (numeric_[b]) field.push_back(static_cast<char>(b));
                break;
            case FilterKind::Ignore:
                break;
            case FilterKind::Binary:
                field.push_back(kHexDigits[b >> 4]);
                field.push_back(kHexDigits[b & 15]);
                break;
        }
    }

    // Appends the filtered text of a run of bytes, each first mapped through inputMap (a
    // byte code below 256 for every byte of the run): the byte loop's fast path.
    void AppendFilteredRun(std::string& field, const uint8_t* bytes, size_t count,
                           const uint16_t* inputMap, int n) const;

    // True when b is in the numeric character set "1234567890-" + DecimalSeparator.
    bool IsNumeric(uint8_t b) const { return numeric_[b]; }

    // Processes fields 1..NumberOfFields in ascending order, each through all four steps
    // before the next one is touched.
    void ProcessFields(FieldDataArray& fields);

    // The pre-transfer translation of one text, in place.
    void Translate(std::string& text);

  private:
    enum class FilterKind : uint8_t { Keep, Ignore, Numeric, Binary };
    enum class TableKind : uint8_t { Identity, ByteMap, General };
    static constexpr char kHexDigits[] = "0123456789ABCDEF";

    const SetupGlobals& g_;
    const LocaleInfo& locale_;
    MathEvaluator evaluator_;
    const TransferTableArray* table_ = nullptr;
    std::array<FilterKind, kFieldSlots> filterKind_{};
    std::array<bool, 256> dropped_{};  // the transfer table drops the byte while filling
    std::array<bool, 256> numeric_{};
    TableKind tableKind_ = TableKind::Identity;
    std::array<uint8_t, 256> byteMap_{};  // every entry one character: the translation
    std::string scratch_;                 // reused by the general translation
};

}  // namespace quorvane
