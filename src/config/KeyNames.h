// The names of the 100 virtual-key codes that hot keys and the key pickers offer, and the
// order in which they are listed. Codes without a name have an empty one.
#pragma once

#include <array>
#include <string>

namespace quorvane {

inline constexpr int kKeyNameSlots = 226;  // codes 0..225
inline constexpr int kKeyNameCount = 100;

struct KeyNameTable {
    std::array<std::string, kKeyNameSlots> Names;
    std::array<int, kKeyNameCount> DisplayOrder{};
};

// The table, built on first use.
const KeyNameTable& KeyNames();

// The name of a code; empty for codes outside the table or without a name.
const std::string& KeyName(int virtualKey);

}  // namespace quorvane
