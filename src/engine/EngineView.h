// What the record engine shows in the runtime window: the Field(n) boxes, the RecordNumber
// box and the suspension state. The boxes are also the DDE server items, so every
// SetFieldText and SetRecordNumberText is an item update for linked clients, also when the
// text repeats. The runtime session implements it; texts are code-page bytes.
#pragma once

#include <cstdint>
#include <string>

namespace quorvane {

class EngineView {
  public:
    virtual ~EngineView() = default;

    // Replaces the whole text of Field(n), n = 1..NumberOfFields.
    virtual void SetFieldText(int n, const std::string& text) = 0;
    // The RecordNumber box: empty before the first record, then the decimal count.
    virtual std::string RecordNumberText() const = 0;
    virtual void SetRecordNumberText(const std::string& text) = 0;
    // The engine changed RuntimeFlags::Suspended on its own account (suspended again after
    // a one-record resume, or after a cancelled log write): captions and menus follow it.
    virtual void OnSuspendedChanged(bool suspended) = 0;
    // The engine reset itself after a cancelled log write: the session does the rest of its
    // Reset here (purge the port queues, empty the virtual device's text, restart the timed
    // output). The engine part (record state, field data and boxes, record number) is done.
    virtual void OnEngineReset() {}
    // The engine voided a record that went past kMaxRecordBytes without its end coming
    // (RecordEngine.h); called at every such void, inside the byte loop.
    virtual void OnRecordTooLong() {}
    // A record was delivered and counted: the Field(n) boxes hold its fields and the
    // RecordNumber box number, its counter.
    virtual void OnRecordDelivered(int64_t /*number*/) {}
};

}  // namespace quorvane
