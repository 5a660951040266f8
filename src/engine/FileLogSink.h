// Appends log records to a file with the C library: unbuffered, so that the count a write
// returns is what reached the file and a failed step can be repeated without duplicates.
#pragma once

#include <cstdio>

#include "engine/LogSink.h"

namespace quorvane {

class FileLogSink : public LogSink {
  public:
    FileLogSink() = default;
    FileLogSink(const FileLogSink&) = delete;
    FileLogSink& operator=(const FileLogSink&) = delete;
    ~FileLogSink() override;

    LogStatus Open(const std::string& path) override;
    LogStatus Write(std::string_view bytes, size_t& written) override;
    LogStatus Close() override;

  private:
    std::FILE* file_ = nullptr;
};

}  // namespace quorvane
