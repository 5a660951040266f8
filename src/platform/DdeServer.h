// The DDE server: serves the topic of the runtime window to other programs under the bus
// name of application "Quorvane" and the topic. Other programs read the items (Request,
// Items), follow their changes (a notification on every update, also when the value
// repeats) and send commands (Execute), which the handler accepts or refuses. Texts here
// are code-page bytes; the implementation converts at the bus.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// What the server answers Request and Items from. Names are the canonical item names.
class DdeItemSource {
  public:
    virtual ~DdeItemSource() = default;
    // The item names served now, in their canonical spelling and order.
    virtual std::vector<std::string> ItemNames() const = 0;
    // The current text of the item called name (matched as the table documents); false
    // when there is no such item.
    virtual bool ItemValue(std::string_view name, std::string& value) const = 0;
};

// Told of every item update, in the order the updates happen.
class DdeItemListener {
  public:
    virtual ~DdeItemListener() = default;
    virtual void ItemChanged(const std::string& item, const std::string& value) = 0;
};

// Runs one command from another program; true = accepted, false = refused.
using DdeExecuteHandler = std::function<bool(const std::string& command)>;

enum class DdeServeResult {
    Serving,    // the name is ours and the topic is served
    NoBus,      // no session bus: the program runs without the DDE features
    NameTaken,  // another program serves this topic; this one runs without a server
    Failed,     // the name is not valid (too long) or the bus refused; see detail
};

struct DdeServeStatus {
    DdeServeResult result = DdeServeResult::Failed;
    std::string busName;  // the name claimed or tried (empty for NoBus)
    std::string detail;   // the bus's own error text, UTF-8; empty when there is none
};

class DdeServer : public DdeItemListener {
  public:
    // Claims the bus name of "Quorvane" and topic (code-page bytes) and starts serving.
    // A server already serving another topic releases it first. The caller reports every
    // result other than Serving (DdeServeMessage) and goes on running.
    virtual DdeServeStatus Serve(const std::string& topic) = 0;
    virtual bool Serving() const = 0;
    // Stops serving and gives the name back; returns once the bus has released it. Safe
    // to call when not serving.
    virtual void Release() = 0;
    // Neither may be null while serving; the source must outlive the server's use of it.
    virtual void SetItemSource(const DdeItemSource* source) = 0;
    virtual void SetExecuteHandler(DdeExecuteHandler handler) = 0;
    // ItemChanged (inherited) sends the change notification; nothing while not serving.
};

}  // namespace quorvane
