#include "runtime/OutputNotation.h"

namespace quorvane {

std::string DecodeOutputNotation(std::string_view notation) {
    std::string result;
    bool quoted = false;
    bool pending = false;  // a digit run has started
    unsigned code = 0;     // the run's value modulo 256, kept small so any length is exact
    auto emit = [&] {
        if (!pending) return;
        result += static_cast<char>(code);
        pending = false;
        code = 0;
    };
    for (const char c : notation) {
        if (c == '\'') {
            if (!quoted) emit();
            quoted = !quoted;
        } else if (quoted) {
            result += c;
        } else if (c >= '0' && c <= '9') {
            code = (code * 10 + static_cast<unsigned>(c - '0')) % 256;
            pending = true;
        } else {
            emit();
        }
    }
    emit();
    return result;
}

}  // namespace quorvane
