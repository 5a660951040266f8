// The one-argument functions of the field math language (abs .. val, field).
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/FieldData.h"
#include "engine/LocaleInfo.h"
#include "engine/math/Value.h"

namespace quorvane {

enum class MathFunctionResult : uint8_t {
    Ok,       // x holds the result
    Failed,   // the argument was invalid or the result overflowed
    Unknown,  // no function of that name; x is unchanged
};

// What a function call may touch besides its argument.
struct MathFunctionContext {
    const LocaleInfo& locale;
    const FieldDataArray& fields;
    uint32_t& rndState;  // 24-bit state of the rnd sequence
    float& rndLast;      // the number rnd gave last
};

// Replaces x by name(x); the name is compared without regard to letter case.
MathFunctionResult ApplyMathFunction(std::string_view name, Value& x,
                                     const MathFunctionContext& context);

}  // namespace quorvane
