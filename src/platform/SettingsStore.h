// The per-user settings store: values addressed by application name, section and key, kept
// between runs (window placement and the input beep type of the runtime window, per port).
// Texts are UTF-8. A store that cannot be read answers the defaults; writes that fail are
// dropped, since nothing here is worth a message.
#pragma once

#include <string>

namespace quorvane {

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // The stored text, or fallback when the key is missing.
    virtual std::string GetSetting(const std::string& application, const std::string& section,
                                   const std::string& key, const std::string& fallback) = 0;
    virtual void SaveSetting(const std::string& application, const std::string& section,
                             const std::string& key, const std::string& value) = 0;
};

}  // namespace quorvane
