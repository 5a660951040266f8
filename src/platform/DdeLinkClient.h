// Hot links to items of other programs: each new value of one application/topic/item is
// handed to a callback, starting with the value the item has when the link is made. Texts
// are code-page bytes. Callbacks run later on the program's one thread, never inside
// Subscribe or Unsubscribe, and never after Unsubscribe; a callback may unsubscribe (its own
// link included) or subscribe again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quorvane {

// A link handle; 0 means no link.
using DdeLinkHandle = uint64_t;

struct DdeLinkResult {
    DdeLinkHandle handle = 0;  // 0 when the link could not be made
    std::string failure;       // why not, UTF-8, for diagnostics only
};

class DdeLinkClient {
  public:
    using ValueCallback = std::function<void(const std::string& value)>;
    // The link broke: the other program went away or refused the item.
    using ErrorCallback = std::function<void()>;

    virtual ~DdeLinkClient() = default;
    // Links to item of application on topic. Fails at once when no program serves that
    // application and topic now.
    virtual DdeLinkResult Subscribe(const std::string& application, const std::string& topic,
                                    const std::string& item, ValueCallback onValue,
                                    ErrorCallback onError) = 0;
    // Ends the link; a handle that is 0 or already ended is ignored.
    virtual void Unsubscribe(DdeLinkHandle handle) = 0;
};

}  // namespace quorvane
