#include "platform/linux/QtSettingsStore.h"

#include <QDir>
#include <QSettings>
#include <QString>

#include <cstdlib>

namespace quorvane {

namespace {

// An application name becomes a file name: only the path separator is not allowed in it.
std::string FileSafe(std::string name) {
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    return name;
}

QString KeyPath(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + "/" + QString::fromStdString(key);
}

}  // namespace

std::string QuorvaneConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/Quorvane";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : ".") + "/.config/Quorvane";
}

QtSettingsStore::QtSettingsStore(std::string folder)
    : folder_(folder.empty() ? QuorvaneConfigFolder() : std::move(folder)) {}

std::string QtSettingsStore::FileFor(const std::string& application) const {
    return folder_ + "/" + FileSafe(application) + ".ini";
}

std::string QtSettingsStore::GetSetting(const std::string& application, const std::string& section,
                                        const std::string& key, const std::string& fallback) {
    QSettings store(QString::fromStdString(FileFor(application)), QSettings::IniFormat);
    const QVariant value = store.value(KeyPath(section, key));
    if (!value.isValid()) return fallback;
    return value.toString().toStdString();
}

void QtSettingsStore::SaveSetting(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& value) {
    QDir().mkpath(QString::fromStdString(folder_));
    QSettings store(QString::fromStdString(FileFor(application)), QSettings::IniFormat);
    store.setValue(KeyPath(section, key), QString::fromStdString(value));
    store.sync();
}

}  // namespace quorvane
