// Where Log to disk mode appends its records, one file step at a time, so that a failing
// step can be repeated after the user chose Retry. A file implementation is FileLogSink;
// tests and benchmarks use a sink in memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvane {

struct LogStatus {
    bool ok = true;
    std::string errorText;  // the system's reason when !ok (UTF-8)

    static LogStatus Ok() { return {}; }
    static LogStatus Error(std::string text) { return {false, std::move(text)}; }
};

class LogSink {
  public:
    virtual ~LogSink() = default;
    // Opens path (UTF-8) for appending, creating the file when it is missing.
    virtual LogStatus Open(const std::string& path) = 0;
    // Writes bytes unchanged at the end. written receives how many bytes reached the file,
    // also on failure; a short count is a failure.
    virtual LogStatus Write(std::string_view bytes, size_t& written) = 0;
    // Closes the file opened last. A failure means written bytes may have been lost.
    // Calling it with no file open does nothing and succeeds.
    virtual LogStatus Close() = 0;
};

}  // namespace quorvane
