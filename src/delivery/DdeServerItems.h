// The items of the DDE server: Field(1)..Field(N), RecordNumber and DateTime, with their
// current texts (code-page bytes). Every Set is an update that reaches the listener, also
// when the text repeats, because linked clients count updates, not differences.
//
// Item names match the way DDE item names do: ASCII letters in any case ("field(1)",
// "RECORDNUMBER"), nothing else loosened: no blanks, signs or leading zeros in Field(n).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DdeServer.h"

namespace quorvane {

inline constexpr int kMaxDdeFields = 40;

struct DdeItemId {
    enum Kind { Field, RecordNumber, DateTime } kind = Field;
    int field = 0;  // 1..kMaxDdeFields for Field
    bool operator==(const DdeItemId&) const = default;
};

// The canonical name of an item: "Field(7)", "RecordNumber", "DateTime".
std::string DdeItemName(const DdeItemId& id);
// Reads an item name as described above; fields are not checked against a count here.
std::optional<DdeItemId> ParseDdeItemName(std::string_view name);

class DdeServerItems : public DdeItemSource {
  public:
    explicit DdeServerItems(DdeItemListener* listener = nullptr) : listener_(listener) {}

    void SetListener(DdeItemListener* listener) { listener_ = listener; }

    // The number of field items served (NumberOfFields), clamped to 0..40. Texts of the
    // fields beyond the count are kept but not served.
    void SetFieldCount(int count);
    int FieldCount() const { return fieldCount_; }

    // Replaces the text of Field(n); n outside 1..40 is ignored.
    void SetField(int n, const std::string& text);
    void SetRecordNumber(const std::string& text);
    void SetDateTime(const std::string& text);
    // Empties Field(1)..Field(40) without an update: linked clients see the next reading,
    // and nobody who asks is given a reading of a configuration that is no longer active.
    void ClearFields();
    // The same by item name (as ParseDdeItemName reads it), for callers that name items;
    // false, with nothing changed, for a name that is no item.
    bool SetItem(std::string_view name, const std::string& text);

    const std::string& Field(int n) const;
    const std::string& RecordNumber() const { return recordNumber_; }
    const std::string& DateTime() const { return dateTime_; }

    // DdeItemSource
    std::vector<std::string> ItemNames() const override;
    bool ItemValue(std::string_view name, std::string& value) const override;

    // The item of a name if it is served now (Field(n) only for n <= FieldCount()).
    std::optional<DdeItemId> Find(std::string_view name) const;

  private:
    void Notify(const DdeItemId& id, const std::string& value);

    DdeItemListener* listener_;
    int fieldCount_ = 1;
    std::array<std::string, kMaxDdeFields + 1> fields_;  // [0] unused
    std::string recordNumber_;
    std::string dateTime_;
};

}  // namespace quorvane
