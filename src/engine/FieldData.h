// The pending values of the record being assembled: field n at index n, 0..42.
#pragma once

#include <array>
#include <string>

#include "config/SetupGlobals.h"

namespace quorvane {

using FieldDataArray = std::array<std::string, kFieldSlots>;

// Index 41 collects everything past the last field; 1..40 are the configurable fields.
inline constexpr int kOverflowField = 41;

}  // namespace quorvane
