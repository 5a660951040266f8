// Files the program reads because someone named them: a configuration on the command line or
// in {CONFIG}, a file to send with {SENDFILE}. Only a regular file is opened: a FIFO would hold
// the whole program in open until someone writes to it, and a device or a folder is no file
// to read. The type is looked at without opening the file.
#pragma once

#include <string>

#include "platform/Messages.h"

namespace quorvane {

// True when path names a regular file (after symbolic links).
bool IsRegularFile(const std::string& path);

// Why path cannot be read, as "path: reason" (UTF-8, path as it was given); empty when it is
// a regular file that opens for reading.
std::string UserFileProblem(const std::string& path);
// True when UserFileProblem finds none; otherwise shows it ("File I/O Error") and is false.
bool CheckUserFile(const std::string& path, Messages& messages);

}  // namespace quorvane
