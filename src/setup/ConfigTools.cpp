#include "setup/ConfigTools.h"

#include "config/ConfigFile.h"
#include "config/SetupGlobals.h"
#include "config/UserFile.h"
#include "setup/ConfigListing.h"

namespace quorvane {

namespace {

bool Load(const std::string& path, const ConfigToolOptions& options, SetupGlobals& g,
          Messages& messages) {
    g.DirectKeyEvents = options.DirectKeyEvents ? kTrue : kFalse;
    ResetToDefaults(g, options.HomeDirectory.empty() ? HomeDirectory() : options.HomeDirectory);
    FillNamedFormats(g);
    g.ConfigFileName = path;
    // What cannot be read is said with its reason; what is read and fails says so itself.
    return CheckUserFile(path, messages) && ValidateConfigFile(path, messages) >= 0 &&
           ReadConfigFile(g, messages);
}

}  // namespace

int ShowConfigFile(const std::string& path, const ConfigToolOptions& options, std::string& out,
                   Messages& messages) {
    SetupGlobals g;
    if (!Load(path, options, g, messages)) return 1;
    out += ConfigListing(g);
    return 0;
}

int ConvertConfigFile(const std::string& input, const std::string& output,
                      const ConfigToolOptions& options, Messages& messages) {
    SetupGlobals g;
    if (!Load(input, options, g, messages)) return 1;
    g.ConfigFileName = output;
    return WriteConfigFile(g, messages) ? 0 : 1;
}

}  // namespace quorvane
