#include "platform/linux/PortDevices.h"

#include "platform/linux/QtSettingsStore.h"

#include <QSettings>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace quorvane {
namespace fs = std::filesystem;
namespace {

QString PortKey(const std::string& portName) {
    return QStringLiteral("Ports/") + QString::fromStdString(portName);
}

std::string Canonical(std::string_view portName) {
    const int n = PortNumber(portName);
    return n > 0 ? "COM" + std::to_string(n) : std::string();
}

std::string ReadFirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    return line;
}

// The USB device above a tty in sysfs (the directory with idVendor), described by its
// manufacturer and product strings.
std::string UsbDescription(const fs::path& sysRoot, const std::string& kernelName) {
    std::error_code ec;
    fs::path dir = fs::canonical(sysRoot / "class" / "tty" / kernelName / "device", ec);
    if (ec) return {};
    const fs::path root = fs::canonical(sysRoot, ec);
    if (ec) return {};
    for (; dir != root && dir.has_relative_path(); dir = dir.parent_path()) {
        if (!fs::exists(dir / "idVendor", ec)) continue;
        std::string text = ReadFirstLine(dir / "manufacturer");
        const std::string product = ReadFirstLine(dir / "product");
        if (!product.empty()) text += (text.empty() ? "" : " ") + product;
        if (text.empty())
            text =
                "USB " + ReadFirstLine(dir / "idVendor") + ":" + ReadFirstLine(dir / "idProduct");
        return text;
    }
    return {};
}

// The number after prefix in name ("ttyUSB12" -> 12), -1 when name is not prefix + digits.
long TtyNumber(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    long n = 0;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])) || n > 1000000) return -1;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

// A ttyS node exists for every possible 8250 port; type 0 means no UART answered there.
bool HasUart(const fs::path& sysRoot, const std::string& kernelName) {
    const fs::path type = sysRoot / "class" / "tty" / kernelName / "type";
    std::error_code ec;
    if (!fs::exists(type, ec)) return true;  // cannot tell: offer it
    return ReadFirstLine(type) != "0";
}

}  // namespace

int PortNumber(std::string_view portName) {
    if (portName.size() < 4 || portName.size() > 8) return 0;
    for (size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(portName[i])) != "COM"[i]) return 0;
    }
    if (portName[3] == '0') return 0;
    int n = 0;
    for (size_t i = 3; i < portName.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(portName[i]))) return 0;
        n = n * 10 + (portName[i] - '0');
    }
    return n <= 32768 ? n : 0;  // PortIndex is 16-bit
}

std::string DefaultDevicePath(std::string_view portName) {
    const int n = PortNumber(portName);
    return n > 0 ? "/dev/ttyS" + std::to_string(n - 1) : std::string();
}

std::optional<PortOverride> ParsePortOverride(std::string_view text) {
    const size_t eq = text.find('=');
    if (eq == std::string_view::npos || eq + 1 >= text.size()) return std::nullopt;
    const std::string name = Canonical(text.substr(0, eq));
    if (name.empty()) return std::nullopt;
    return PortOverride{name, std::string(text.substr(eq + 1))};
}

std::string DefaultPortSettingsFile() { return QuorvaneConfigFolder() + "/Quorvane.ini"; }

PortDeviceMap::PortDeviceMap(std::string settingsFile) : settingsFile_(std::move(settingsFile)) {}

bool PortDeviceMap::AddOverride(std::string_view text) {
    const std::optional<PortOverride> o = ParsePortOverride(text);
    if (!o) return false;
    overrides_[o->PortName] = o->DevicePath;
    return true;
}

std::string PortDeviceMap::DevicePathFor(const std::string& portName) const {
    const std::string name = Canonical(portName);
    if (name.empty()) return {};
    const auto it = overrides_.find(name);
    if (it != overrides_.end()) return it->second;
    const std::string stored = StoredDevicePath(name);
    return stored.empty() ? DefaultDevicePath(name) : stored;
}

std::string PortDeviceMap::StoredDevicePath(const std::string& portName) const {
    const std::string name = Canonical(portName);
    if (name.empty()) return {};
    QSettings store(QString::fromStdString(settingsFile_), QSettings::IniFormat);
    return store.value(PortKey(name)).toString().toStdString();
}

bool PortDeviceMap::StoreDevicePath(const std::string& portName, const std::string& devicePath) {
    const std::string name = Canonical(portName);
    if (name.empty()) return false;
    QSettings store(QString::fromStdString(settingsFile_), QSettings::IniFormat);
    if (devicePath.empty())
        store.remove(PortKey(name));
    else
        store.setValue(PortKey(name), QString::fromStdString(devicePath));
    store.sync();
    return store.status() == QSettings::NoError;
}

std::vector<SerialDeviceInfo> ListSerialDevices(const std::string& devRoot,
                                                const std::string& sysRoot) {
    std::vector<SerialDeviceInfo> devices;
    std::error_code ec;

    std::vector<SerialDeviceInfo> byId;
    const fs::path idDir = fs::path(devRoot) / "serial" / "by-id";
    for (const fs::directory_entry& entry : fs::directory_iterator(idDir, ec)) {
        const fs::path target = fs::read_symlink(entry.path(), ec);
        const std::string kernel =
            ec ? entry.path().filename().string() : target.filename().string();
        byId.push_back({entry.path().string(), kernel, UsbDescription(sysRoot, kernel)});
    }
    std::sort(byId.begin(), byId.end(),
              [](const SerialDeviceInfo& a, const SerialDeviceInfo& b) { return a.Path < b.Path; });
    devices.insert(devices.end(), byId.begin(), byId.end());

    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(devRoot, ec))
        names.push_back(entry.path().filename().string());
    for (const std::string prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        std::vector<std::pair<long, std::string>> found;
        for (const std::string& name : names) {
            const long n = TtyNumber(name, prefix);
            if (n < 0 || (prefix == "ttyS" && !HasUart(sysRoot, name))) continue;
            found.emplace_back(n, name);
        }
        std::sort(found.begin(), found.end());
        for (const auto& [n, name] : found) {
            devices.push_back(
                {(fs::path(devRoot) / name).string(), name, UsbDescription(sysRoot, name)});
        }
    }
    return devices;
}

}  // namespace quorvane
