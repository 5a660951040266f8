// The per-user settings store as INI files under $XDG_CONFIG_HOME/Quorvane/ (~/.config when
// unset or relative), one file per application name ("Quorvane - COM1.ini").
#pragma once

#include <string>

#include "platform/SettingsStore.h"

namespace quorvane {

// The per-user settings folder: $XDG_CONFIG_HOME/Quorvane, or ~/.config/Quorvane when
// XDG_CONFIG_HOME is not an absolute path.
std::string QuorvaneConfigFolder();

class QtSettingsStore : public SettingsStore {
  public:
    // folder empty: the default folder above.
    explicit QtSettingsStore(std::string folder = {});

    std::string GetSetting(const std::string& application, const std::string& section,
                           const std::string& key, const std::string& fallback) override;
    void SaveSetting(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& value) override;

    // The file that holds an application's settings.
    std::string FileFor(const std::string& application) const;

  private:
    std::string folder_;
};

}  // namespace quorvane
