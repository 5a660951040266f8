#include "setup/MruList.h"

#include <algorithm>

#include "platform/SettingsStore.h"

namespace quorvane {

void MruList::Insert(const std::string& path) {
    if (path.empty()) return;
    const auto found = std::find(entries_.begin(), entries_.end(), path);
    if (found != entries_.end()) {
        // The entries above it move down one place; those below keep theirs.
        std::rotate(entries_.begin(), found, found + 1);
        return;
    }
    entries_.insert(entries_.begin(), path);
    if (entries_.size() > kMaxEntries) entries_.resize(kMaxEntries);
}

void MruList::Load(SettingsStore& store) {
    entries_.clear();
    for (std::size_t i = 0; i < kMaxEntries; ++i) {
        std::string path = store.GetSetting(kMruApplication, kMruSection, std::to_string(i), "");
        if (path.empty()) break;
        entries_.push_back(std::move(path));
    }
}

void MruList::Save(SettingsStore& store) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        store.SaveSetting(kMruApplication, kMruSection, std::to_string(i), entries_[i]);
    for (std::size_t i = entries_.size(); i < kMaxEntries; ++i) {
        const std::string key = std::to_string(i);
        if (!store.GetSetting(kMruApplication, kMruSection, key, "").empty())
            store.SaveSetting(kMruApplication, kMruSection, key, "");
    }
}

}  // namespace quorvane
