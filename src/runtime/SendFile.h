// Sending a whole file to the device through the output queue ({SENDFILE(path)}).
#pragma once

#include <cstddef>
#include <string>

#include "config/SetupGlobals.h"

namespace quorvane {

// The most bytes the output queue may hold after a file has been added to it.
inline constexpr size_t kSendFileQueueLimit = kOutputQueueLimit;

// Appends the file at nativePath (UTF-8 on Linux) to outputQueue byte for byte. False, with
// the queue unchanged, when the file is not a regular file, cannot be opened or read to its end, or
// when it is longer than queueLimit minus the bytes already queued. The file is read only up to one
// byte past the free room, so a device file or an endless stream is refused without being read
// whole.
bool SendFileToQueue(const std::string& nativePath, std::string& outputQueue,
                     size_t queueLimit = kSendFileQueueLimit);

}  // namespace quorvane
