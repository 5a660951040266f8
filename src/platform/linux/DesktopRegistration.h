// Registers the configuration file type and the program with the desktop: an XDG shared-MIME
// package for application/x-quorvane-config (*.qv3 in any letter case), a .desktop file that
// opens such files with this program, and the icon, all under $XDG_DATA_HOME. Run at every
// start; it never shows a message, since a desktop without these files works all the same.
// An installed program (a package) brings these files in a system data folder; what is found
// there is not written, and an earlier start's own copy of it in the user's folder, which
// would hide the installed one, is removed.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace quorvane {

inline constexpr const char* kConfigMimeType = "application/x-quorvane-config";

// $XDG_DATA_HOME, or ~/.local/share when it is unset or not an absolute path.
QString XdgDataHome();

// The folders that an installed program's shared files are looked for in, in this order: the
// program's own prefix (the folder above its bin folder, then share), then each absolute entry
// of $XDG_DATA_DIRS (/usr/local/share:/usr/share when it is unset or empty).
QStringList SystemDataDirs(const QString& programPath);

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
    // Files found in a system data folder and so not written; and the user's earlier copies
    // of them that were removed.
    std::vector<QString> provided;
    std::vector<QString> removed;
    bool failed = false;  // some file could not be written
};

// Writes what differs and starts update-mime-database (and update-desktop-database when it is
// installed) without waiting for them; they are detached, so no zombie is left behind.
// dataHome empty: XdgDataHome(). Empty icon data leaves that icon file alone. systemDirs: the
// folders searched for installed files, SystemDataDirs(programPath) when not given.
DesktopRegistrationResult RegisterDesktopIntegration(
    const QString& programPath, const DesktopIconFiles& icons, const QString& dataHome = {},
    const std::optional<QStringList>& systemDirs = std::nullopt);

}  // namespace quorvane
