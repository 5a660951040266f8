// Constants of the configuration file (*.qv3) shared by its reader and writer.
#pragma once

#include <string_view>

namespace quorvane {

// The first line of every file the writer produces.
inline constexpr std::string_view kSignatureCurrent =
    "Quorvane Version 3.00 Configuration File for Serial Data Acquisition Software";
// The first line of a file of the older layout, which is read but never written.
inline constexpr std::string_view kSignatureOld =
    "Quorvane Version 2.00 Configuration File for Serial Data Acquisition Software";

// The two InputTranslation entries that are stored as words instead of a character code.
inline constexpr std::string_view kTranslationIgnore = "Ignore";
inline constexpr std::string_view kTranslationVoidRecord = "Void Record";

// Files larger than this are not configuration files; the largest real ones are a few
// hundred kilobytes, and the cap keeps a wrong pick in the file dialog from filling memory.
inline constexpr size_t kMaxConfigFileBytes = size_t{64} << 20;

}  // namespace quorvane
