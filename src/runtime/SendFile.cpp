#include "runtime/SendFile.h"

#include <algorithm>
#include <fstream>

#include "config/UserFile.h"

namespace quorvane {

bool SendFileToQueue(const std::string& nativePath, std::string& outputQueue, size_t queueLimit) {
    if (outputQueue.size() > queueLimit) return false;
    const size_t room = queueLimit - outputQueue.size();
    if (!IsRegularFile(nativePath)) return false;  // a FIFO would block in open
    std::ifstream in(nativePath, std::ios::binary);
    if (!in) return false;

    // Read into a separate buffer: a refused or failed file leaves the queue as it was.
    std::string content;
    char chunk[8192];
    while (content.size() <= room) {
        const size_t want = std::min(sizeof chunk, room + 1 - content.size());
        in.read(chunk, static_cast<std::streamsize>(want));
        const std::streamsize got = in.gcount();
        content.append(chunk, static_cast<size_t>(got));
        if (in.bad()) return false;  // a read error, such as a folder given as the path
        if (in.eof()) break;
        if (in.fail()) return false;
    }
    if (content.size() > room) return false;
    outputQueue += content;
    return true;
}

}  // namespace quorvane
