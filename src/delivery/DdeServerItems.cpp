#include "delivery/DdeServerItems.h"
#include "strings/AsciiCase.h"

#include <algorithm>

namespace quorvane {

namespace {

const std::string kEmpty;

}  // namespace

std::string DdeItemName(const DdeItemId& id) {
    switch (id.kind) {
        case DdeItemId::RecordNumber:
            return "RecordNumber";
        case DdeItemId::DateTime:
            return "DateTime";
        case DdeItemId::Field:
            break;
    }
    return "Field(" + std::to_string(id.field) + ")";
}

std::optional<DdeItemId> ParseDdeItemName(std::string_view name) {
    if (AsciiEqualsNoCase(name, "RecordNumber")) return DdeItemId{DdeItemId::RecordNumber, 0};
    if (AsciiEqualsNoCase(name, "DateTime")) return DdeItemId{DdeItemId::DateTime, 0};
    constexpr std::string_view kPrefix = "Field(";
    if (name.size() < kPrefix.size() + 2 || !AsciiEqualsNoCase(name.substr(0, 6), kPrefix) ||
        name.back() != ')')
        return std::nullopt;
    const std::string_view digits = name.substr(6, name.size() - 7);
    if (digits.empty() || digits.size() > 2 || digits.front() == '0') return std::nullopt;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n > kMaxDdeFields) return std::nullopt;
    return DdeItemId{DdeItemId::Field, n};
}

void DdeServerItems::SetFieldCount(int count) {
    fieldCount_ = std::clamp(count, 0, kMaxDdeFields);
}

void DdeServerItems::SetField(int n, const std::string& text) {
    if (n < 1 || n > kMaxDdeFields) return;
    fields_[n] = text;
    Notify(DdeItemId{DdeItemId::Field, n}, fields_[n]);
}

void DdeServerItems::SetRecordNumber(const std::string& text) {
    recordNumber_ = text;
    Notify(DdeItemId{DdeItemId::RecordNumber, 0}, recordNumber_);
}

void DdeServerItems::SetDateTime(const std::string& text) {
    dateTime_ = text;
    Notify(DdeItemId{DdeItemId::DateTime, 0}, dateTime_);
}

void DdeServerItems::ClearFields() {
    for (std::string& text : fields_) text.clear();
}

bool DdeServerItems::SetItem(std::string_view name, const std::string& text) {
    const auto id = ParseDdeItemName(name);
    if (!id) return false;
    switch (id->kind) {
        case DdeItemId::Field:
            SetField(id->field, text);
            break;
        case DdeItemId::RecordNumber:
            SetRecordNumber(text);
            break;
        case DdeItemId::DateTime:
            SetDateTime(text);
            break;
    }
    return true;
}

const std::string& DdeServerItems::Field(int n) const {
    if (n < 1 || n > kMaxDdeFields) return kEmpty;
    return fields_[n];
}

std::vector<std::string> DdeServerItems::ItemNames() const {
    std::vector<std::string> names;
    names.reserve(fieldCount_ + 2);
    for (int n = 1; n <= fieldCount_; ++n) names.push_back(DdeItemName({DdeItemId::Field, n}));
    names.push_back("RecordNumber");
    names.push_back("DateTime");
    return names;
}

std::optional<DdeItemId> DdeServerItems::Find(std::string_view name) const {
    auto id = ParseDdeItemName(name);
    if (id && id->kind == DdeItemId::Field && id->field > fieldCount_) return std::nullopt;
    return id;
}

bool DdeServerItems::ItemValue(std::string_view name, std::string& value) const {
    const auto id = Find(name);
    if (!id) return false;
    switch (id->kind) {
        case DdeItemId::Field:
            value = fields_[id->field];
            break;
        case DdeItemId::RecordNumber:
            value = recordNumber_;
            break;
        case DdeItemId::DateTime:
            value = dateTime_;
            break;
    }
    return true;
}

void DdeServerItems::Notify(const DdeItemId& id, const std::string& value) {
    // Fields beyond the served count are not items, so nobody can be linked to them.
    if (id.kind == DdeItemId::Field && id.field > fieldCount_) return;
    if (listener_) listener_->ItemChanged(DdeItemName(id), value);
}

}  // namespace quorvane
