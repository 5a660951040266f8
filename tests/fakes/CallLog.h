// One ordered record of calls shared by several fakes, so that a test can check the order
// of calls across interfaces ("view.SetFieldText(1,12.5)" before "keys.SendKeyMacro(...)").
#pragma once

#include <string>
#include <vector>

namespace quorvane {

struct CallLog {
    std::vector<std::string> calls;

    void Add(std::string call) { calls.push_back(std::move(call)); }
    void Clear() { calls.clear(); }
    // Index of the first call that starts with prefix, -1 when none does.
    int IndexOf(const std::string& prefix) const {
        for (size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
        }
        return -1;
    }
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const auto& c : calls) n += c.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
        return n;
    }
};

}  // namespace quorvane
