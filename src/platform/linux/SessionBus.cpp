#include "platform/linux/SessionBus.h"

#include <sys/stat.h>

#include <cstdlib>

namespace quorvane {

std::optional<std::string> SessionBusAddressFrom(
    const char* envAddress, const char* runtimeDir,
    const std::function<bool(const std::string&)>& isSocket) {
    if (envAddress && *envAddress) return std::string(envAddress);
    if (runtimeDir && *runtimeDir) {
        const std::string path = std::string(runtimeDir) + "/bus";
        // A path with characters that the address syntax escapes is left alone rather than
        // half-quoted; the standard runtime directory never has them.
        if (path.find_first_of(",;=%") == std::string::npos && isSocket(path))
            return "unix:path=" + path;
    }
    return std::nullopt;
}

std::optional<std::string> SessionBusAddress() {
    return SessionBusAddressFrom(std::getenv("DBUS_SESSION_BUS_ADDRESS"),
                                 std::getenv("XDG_RUNTIME_DIR"), [](const std::string& path) {
                                     struct stat st {};
                                     return ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
                                 });
}

bool SessionBusAvailable() {
    return SessionBusAddress().has_value();
}

}  // namespace quorvane
