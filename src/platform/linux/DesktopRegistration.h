// Registers the configuration file type and the program with the desktop: an XDG shared-MIME
// package for application/x-quorvane-config (*.qv3 in any letter case), a .desktop file that
// opens such files with this program, and the icon, all under $XDG_DATA_HOME. Run at every
// start; it never shows a message, since a desktop without these files works all the same.
#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace quorvane {

inline constexpr const char* kConfigMimeType = "application/x-quorvane-config";

// $XDG_DATA_HOME, or ~/.local/share when it is unset or not an absolute path.
QString XdgDataHome();

// The files' texts (UTF-8). programPath is the absolute path of the program.
std::string MimePackageText();
std::string DesktopEntryText(const std::string& programPath);
// A path as one argument of a desktop file's Exec key, escaped for the key's value too.
std::string DesktopExecArgument(const std::string& path);

struct DesktopIconFiles {
    QByteArray svg;     // scalable
    QByteArray png128;  // 128 x 128, for desktops that do not draw SVG
};

// What a registration did, for tests: the files written (paths under the data folder) and the
// cache tools started. A file whose content is already right is not written again.
struct DesktopRegistrationResult {
    std::vector<QString> written;
    std::vector<QString> started;
    bool failed = false;  // some file could not be written
};

// Writes what differs and starts update-mime-database (and update-desktop-database when it is
// installed) without waiting for them; they are detached, so no zombie is left behind.
// dataHome empty: XdgDataHome(). Empty icon data leaves that icon file alone.
DesktopRegistrationResult RegisterDesktopIntegration(const QString& programPath,
                                                     const DesktopIconFiles& icons,
                                                     const QString& dataHome = {});

}  // namespace quorvane
