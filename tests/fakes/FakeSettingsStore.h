// A settings store in memory: "application|section|key" -> text.
#pragma once

#include <map>
#include <string>

#include "platform/SettingsStore.h"

namespace quorvane {

class FakeSettingsStore : public SettingsStore {
  public:
    std::string GetSetting(const std::string& application, const std::string& section,
                           const std::string& key, const std::string& fallback) override {
        const auto it = values.find(Key(application, section, key));
        return it == values.end() ? fallback : it->second;
    }
    void SaveSetting(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& value) override {
        values[Key(application, section, key)] = value;
        ++saves;
    }

    static std::string Key(const std::string& a, const std::string& s, const std::string& k) {
        return a + "|" + s + "|" + k;
    }

    std::map<std::string, std::string> values;
    int saves = 0;
};

}  // namespace quorvane
