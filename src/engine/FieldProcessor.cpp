#include "engine/FieldProcessor.h"

#include <algorithm>

#include "engine/format/FormatField.h"
#include "engine/math/Value.h"

namespace quorvane {

namespace {

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

bool ConvertRadixText(std::string_view text, int base, std::string& decimal) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    int written = 0;      // digits as they stand, leading zeros included
    int significant = 0;  // digits from the first non-zero one
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n') continue;
        const int d = DigitValue(c);
        if (d < 0 || d >= base) break;
        ++written;
        if (significant == 0 && d == 0) continue;
        // Twelve digits of either base already exceed 32 bits; stop accumulating there.
        if (++significant <= 12) value = value * static_cast<uint64_t>(base) + d;
    }
    int64_t result = 0;
    if (base == 16) {
        // The written width decides the word size: instruments send fixed-width words, so
        // 0000FFFF is a 32-bit 65535 while FFFF is a 16-bit -1. Zeros in front of a number
        // wider than 8 digits are ignored until it fits.
        if (written <= 4) {
            result = value >= 0x8000 ? static_cast<int64_t>(value) - 0x10000 : value;
        } else if (significant <= 8) {
            result = value >= 0x80000000u ? static_cast<int64_t>(value) - 0x100000000 : value;
        } else {
            return false;
        }
    } else {
        if (significant > 11) return false;
        if (value <= 0177777) {
            result = value >= 0x8000 ? static_cast<int64_t>(value) - 0x10000 : value;
        } else if (value <= 037777777777) {
            result = value >= 0x80000000u ? static_cast<int64_t>(value) - 0x100000000 : value;
        } else {
            return false;
        }
    }
    decimal = std::to_string(result);
    return true;
}

FieldProcessor::FieldProcessor(const SetupGlobals& g, const LocaleInfo& locale)
    : g_(g), locale_(locale), evaluator_(locale) {}

void FieldProcessor::Activate(const TransferTableArray& table) {
    table_ = &table;
    for (int n = 0; n < kFieldSlots; ++n) {
        const std::string& code = g_.FieldFilter[static_cast<size_t>(n)];
        FilterKind kind = FilterKind::Keep;  // C, H, O and any unknown code
        if (code == "I") kind = FilterKind::Ignore;
        if (code == "N") kind = FilterKind::Numeric;
        if (code == "B") kind = FilterKind::Binary;
        filterKind_[static_cast<size_t>(n)] = kind;
    }
    numeric_.fill(false);
    for (char c : std::string("1234567890-") + g_.DecimalSeparator) {
        numeric_[static_cast<uint8_t>(c)] = true;
    }
    // In Log to disk mode nothing is dropped while a field fills: the log keeps every byte.
    const bool dropping = g_.Mode != kModeLog;
    bool identity = true;
    bool singles = true;
    for (int b = 0; b < 256; ++b) {
        const std::string& entry = table[static_cast<size_t>(b)];
        dropped_[static_cast<size_t>(b)] = dropping && entry.size() == 1 && entry[0] == '\0';
        if (entry.size() != 1) {
            singles = false;
            identity = false;
        } else {
            byteMap_[static_cast<size_t>(b)] = static_cast<uint8_t>(entry[0]);
            if (static_cast<uint8_t>(entry[0]) != b) identity = false;
        }
    }
    tableKind_ = identity ? TableKind::Identity : singles ? TableKind::ByteMap : TableKind::General;
}

std::string FieldProcessor::FilterInputByte(uint8_t b, int n) const {
    std::string text;
    AppendFilteredByte(text, b, std::clamp(n, 0, kFieldSlots - 1));
    return text;
}

void FieldProcessor::AppendFilteredRun(std::string& field, const uint8_t* bytes, size_t count,
                                       const uint16_t* inputMap, int n) const {
    const FilterKind kind = filterKind_[static_cast<size_t>(n)];
    if (kind == FilterKind::Ignore || count == 0) return;
    // Written through a plain pointer: appending char by char would make the compiler reload
    // the string's size and the engine's state after every byte (char stores alias them).
    const size_t old = field.size();
    field.resize(old + (kind == FilterKind::Binary ? 2 * count : count));
    char* const begin = field.data() + old;
    char* out = begin;
    const bool* keep = kind == FilterKind::Numeric ? numeric_.data() : nullptr;
    switch (kind) {
        case FilterKind::Keep:
            for (size_t i = 0; i < count; ++i) {
                const uint8_t t = static_cast<uint8_t>(inputMap[bytes[i]]);
                *out = static_cast<char>(t);
                out += dropped_[t] ? 0 : 1;
            }
            break;
        case FilterKind::Numeric:
            for (size_t i = 0; i < count; ++i) {
                const uint8_t t = static_cast<uint8_t>(inputMap[bytes[i]]);
                *out = static_cast<char>(t);
                out += keep[t] ? 1 : 0;
            }
            break;
        case FilterKind::Binary:
            for (size_t i = 0; i < count; ++i) {
                const uint8_t t = static_cast<uint8_t>(inputMap[bytes[i]]);
                *out++ = kHexDigits[t >> 4];
                *out++ = kHexDigits[t & 15];
            }
            break;
        case FilterKind::Ignore:
            break;
    }
    field.resize(old + static_cast<size_t>(out - begin));
}

void FieldProcessor::Translate(std::string& text) {
    switch (tableKind_) {
        case TableKind::Identity:
            return;
        case TableKind::ByteMap:
            for (char& c : text) c = static_cast<char>(byteMap_[static_cast<uint8_t>(c)]);
            return;
        case TableKind::General:
            scratch_.clear();
            for (char c : text) scratch_ += (*table_)[static_cast<uint8_t>(c)];
            text.swap(scratch_);
            return;
    }
}

void FieldProcessor::ProcessFields(FieldDataArray& fields) {
    const int count = FieldCount(g_);
    for (int n = 1; n <= count; ++n) {
        std::string& field = fields[static_cast<size_t>(n)];
        const std::string& filter = g_.FieldFilter[static_cast<size_t>(n)];
        if (filter == "H" || filter == "O") {
            std::string decimal;
            if (ConvertRadixText(field, filter == "H" ? 16 : 8, decimal)) field = decimal;
        }
        // The math result stays a value (number, truth value) until the format step has seen
        // it; only then does it become the field's text.
        Value value;
        bool haveValue = false;
        const std::string& math = g_.FieldMath[static_cast<size_t>(n)];
        if (!math.empty()) {
            evaluator_.EvaluateFieldMath(math, fields, value);
            haveValue = true;
        }
        const std::string& format = g_.FieldFormat[static_cast<size_t>(n)];
        if (!format.empty()) {
            const Value input = haveValue ? value : Value::FromText(field);
            if (auto text = FormatField(input, format, g_.NamedFormats, locale_)) {
                field = std::move(*text);
                haveValue = false;
            }
        }
        if (haveValue) field = ValueToText(value, locale_);
        Translate(field);
    }
}

}  // namespace quorvane
