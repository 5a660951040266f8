// The key event list a parsed macro becomes: at most kMaxKeyEvents entries, each a key code
// without the Shift bit (a virtual-key code, or kCharacterBit | byte); the codes 16, 17 and
// 18 stand for toggling Shift, Ctrl and Alt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvane {

inline constexpr size_t kMaxKeyEvents = 4096;

class KeyEventList {
  public:
    // False, and nothing added, when the list is full.
    bool Add(uint16_t entry) {
        if (entries_.size() >= kMaxKeyEvents) return false;
        entries_.push_back(entry);
        return true;
    }
    void Clear() { entries_.clear(); }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    uint16_t operator[](size_t i) const { return entries_[i]; }
    const std::vector<uint16_t>& Entries() const { return entries_; }

  private:
    std::vector<uint16_t> entries_;
};

}  // namespace quorvane
