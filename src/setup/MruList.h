// The recently-used configuration files of the setup window: up to four full paths, newest
// first, kept in the per-user settings store between runs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quorvane {

class SettingsStore;

inline constexpr const char* kMruApplication = "Quorvane";
inline constexpr const char* kMruSection = "MRUFiles";

class MruList {
  public:
    static constexpr std::size_t kMaxEntries = 4;

    // Newest first.
    const std::vector<std::string>& Entries() const { return entries_; }
    bool Empty() const { return entries_.empty(); }
    std::size_t Size() const { return entries_.size(); }

    // Puts path at the top. A path already listed moves up from its place, so the count stays;
    // a new one pushes the others down and the oldest falls off a full list. Paths compare
    // exactly: Linux file names are case-sensitive. An empty path is not listed, since an
    // empty entry would end the list when it is next loaded.
    void Insert(const std::string& path);

    // Replaces the list with keys "0", "1", ... of the store, up to the first key that is
    // missing or empty.
    void Load(SettingsStore& store);
    // Writes the entries under their indexes. Keys past the last entry that still hold a path
    // are emptied, so a later load does not take up a stale entry behind a gap.
    void Save(SettingsStore& store) const;

  private:
    std::vector<std::string> entries_;
};

}  // namespace quorvane
