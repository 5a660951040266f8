// Told of every record the engine delivered and counted, after its delivery mode has run:
// the record's fields as the Field(n) items hold them and its number as the RecordNumber
// item shows it. Publishing (MQTT) hangs here, beside whatever the mode does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvane {

struct DeliveredRecord {
    uint64_t number = 0;              // the record counter after this record
    std::vector<std::string> fields;  // Field(1)..Field(count), code-page bytes
};

class RecordListener {
  public:
    virtual ~RecordListener() = default;
    virtual void RecordDelivered(const DeliveredRecord& record) = 0;
};

}  // namespace quorvane
