#include "setup/MruList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeSettingsStore.h"

namespace quorvane {
namespace {

using Paths = std::vector<std::string>;

struct InsertRow {
    const char* what;
    Paths before;
    std::string inserted;
    Paths after;
};

MruList ListOf(const Paths& newestFirst) {
    MruList list;
    for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) list.Insert(*it);
    return list;
}

TEST(MruList, InsertTable) {
    const InsertRow rows[] = {
        {"first file", {}, "/a.qv3", {"/a.qv3"}},
        {"new file goes on top", {"/a.qv3"}, "/b.qv3", {"/b.qv3", "/a.qv3"}},
        {"fifth distinct file drops the oldest",
         {"/d", "/c", "/b", "/a"},
         "/e",
         {"/e", "/d", "/c", "/b"}},
        {"reopening the third moves it up, count unchanged",
         {"/d", "/c", "/b", "/a"},
         "/b",
         {"/b", "/d", "/c", "/a"}},
        {"reopening the last of a full list keeps all four",
         {"/d", "/c", "/b", "/a"},
         "/a",
         {"/a", "/d", "/c", "/b"}},
        {"reopening the top changes nothing", {"/b", "/a"}, "/b", {"/b", "/a"}},
        {"letter case makes another file",
         {"/data/Scale.qv3"},
         "/data/scale.qv3",
         {"/data/scale.qv3", "/data/Scale.qv3"}},
        {"an empty path is not listed", {"/a"}, "", {"/a"}},
    };
    for (const InsertRow& row : rows) {
        MruList list = ListOf(row.before);
        ASSERT_EQ(list.Entries(), row.before) << row.what;
        list.Insert(row.inserted);
        EXPECT_EQ(list.Entries(), row.after) << row.what;
    }
}

struct LoadRow {
    const char* what;
    std::vector<std::pair<std::string, std::string>> stored;  // key, value
    Paths loaded;
};

TEST(MruList, LoadTable) {
    const LoadRow rows[] = {
        {"nothing stored", {}, {}},
        {"four entries",
         {{"0", "/a"}, {"1", "/b"}, {"2", "/c"}, {"3", "/d"}},
         {"/a", "/b", "/c", "/d"}},
        {"stops at a missing key", {{"0", "/a"}, {"2", "/c"}, {"3", "/d"}}, {"/a"}},
        {"stops at an empty key", {{"0", "/a"}, {"1", "/b"}, {"2", ""}, {"3", "/d"}}, {"/a", "/b"}},
        {"a fifth key is not read",
         {{"0", "/a"}, {"1", "/b"}, {"2", "/c"}, {"3", "/d"}, {"4", "/e"}},
         {"/a", "/b", "/c", "/d"}},
        {"a missing first key means an empty list", {{"1", "/b"}}, {}},
    };
    for (const LoadRow& row : rows) {
        FakeSettingsStore store;
        for (const auto& [key, value] : row.stored)
            store.values[FakeSettingsStore::Key("Quorvane", "MRUFiles", key)] = value;
        // Other applications and sections are not the list's.
        store.values[FakeSettingsStore::Key("Quorvane - COM1", "MRUFiles", "0")] = "/other";
        MruList list;
        list.Insert("/was-there");
        list.Load(store);
        EXPECT_EQ(list.Entries(), row.loaded) << row.what;
    }
}

TEST(MruList, SaveWritesEntriesUnderTheirIndexesAndLoadReadsThemBack) {
    FakeSettingsStore store;
    const MruList list = ListOf({"/home/kim/Scale.qv3", "/data/My Scale.qv3"});
    list.Save(store);
    EXPECT_EQ(store.values,
              (std::map<std::string, std::string>{{"Quorvane|MRUFiles|0", "/home/kim/Scale.qv3"},
                                                  {"Quorvane|MRUFiles|1", "/data/My Scale.qv3"}}));
    MruList loaded;
    loaded.Load(store);
    EXPECT_EQ(loaded.Entries(), list.Entries());
}

// A store with a gap (keys 0 and 2) loads one entry; once the list has grown past the gap,
// key 3 must not come back as a fifth-place leftover behind the new entries.
TEST(MruList, SaveEmptiesStaleKeysPastTheLastEntry) {
    FakeSettingsStore store;
    store.values["Quorvane|MRUFiles|0"] = "/a";
    store.values["Quorvane|MRUFiles|3"] = "/stale";
    MruList list;
    list.Load(store);
    list.Insert("/b");
    list.Insert("/c");
    list.Save(store);
    EXPECT_EQ(store.values["Quorvane|MRUFiles|3"], "");
    MruList loaded;
    loaded.Load(store);
    EXPECT_EQ(loaded.Entries(), (Paths{"/c", "/b", "/a"}));
}

}  // namespace
}  // namespace quorvane
