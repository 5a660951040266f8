#include "setup/ConfigTools.h"

#include "config/ConfigFile.h"
#include "config/SetupGlobals.h"
#include "setup/ConfigListing.h"

namespace quorvane {

namespace {

// Counts what is shown, so that a file the validation could not even open (which it
// reports by its result alone) still gets a line on standard error.
class CountingMessages : public Messages {
  public:
    explicit CountingMessages(Messages& inner) : inner_(inner) {}
    MessageAnswer Show(const std::string& text, const std::string& title, MessageButtons buttons,
                       MessageIcon icon) override {
        ++shown;
        return inner_.Show(text, title, buttons, icon);
    }
    void Beep(int soundType = 0) override { inner_.Beep(soundType); }

    int shown = 0;

  private:
    Messages& inner_;
};

bool Load(const std::string& path, const ConfigToolOptions& options, SetupGlobals& g,
          Messages& messages) {
    g.DirectKeyEvents = options.DirectKeyEvents ? kTrue : kFalse;
    ResetToDefaults(g, options.HomeDirectory.empty() ? HomeDirectory() : options.HomeDirectory);
    FillNamedFormats(g);
    g.ConfigFileName = path;
    CountingMessages counting(messages);
    if (ValidateConfigFile(path, counting) >= 0 && ReadConfigFile(g, counting)) return true;
    if (counting.shown == 0) {
        messages.Show(path + ": the file cannot be opened or read", "Quorvane", MessageButtons::Ok,
                      MessageIcon::Critical);
    }
    return false;
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
