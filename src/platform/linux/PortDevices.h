// Which device stands behind a port name, and which serial devices the machine has.
//
// The port names stay "COM1".."COMn". The device behind COMn is, in this order: a command-line
// override (--port COMn=PATH) for this run, the per-user settings store (INI file, section
// Ports, key COMn), or /dev/ttyS(n-1).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The number n of a port name "COMn" (letters in any case, n from 1, no leading zero); 0 when
// the text is not a port name.
int PortNumber(std::string_view portName);

// /dev/ttyS(n-1) for COMn; empty when the name is not a port name.
std::string DefaultDevicePath(std::string_view portName);

struct PortOverride {
    std::string PortName;    // canonical: "COM" + n
    std::string DevicePath;  // not empty
};

// Parses "COMn=PATH" (the argument of --port); nothing when it is not of that form.
std::optional<PortOverride> ParsePortOverride(std::string_view text);

// $XDG_CONFIG_HOME/Quorvane/Quorvane.ini, with ~/.config when XDG_CONFIG_HOME is unset or not
// an absolute path.
std::string DefaultPortSettingsFile();

class PortDeviceMap {
  public:
    explicit PortDeviceMap(std::string settingsFile = DefaultPortSettingsFile());

    // Adds an override from "COMn=PATH"; false (nothing added) when the text is not one. A
    // later override of the same port replaces the earlier one.
    bool AddOverride(std::string_view text);
    const std::map<std::string, std::string>& Overrides() const { return overrides_; }

    // The device for a port name: override, stored choice, default.
    std::string DevicePathFor(const std::string& portName) const;

    // The per-user store, key Ports/COMn; empty when nothing is stored.
    std::string StoredDevicePath(const std::string& portName) const;
    // Stores the choice (an empty path removes it); false when the file cannot be written.
    bool StoreDevicePath(const std::string& portName, const std::string& devicePath);

  private:
    std::string settingsFile_;
    std::map<std::string, std::string> overrides_;
};

struct SerialDeviceInfo {
    std::string Path;         // what to open: /dev/serial/by-id/..., /dev/ttyUSB0, ...
    std::string KernelName;   // ttyUSB0
    std::string Description;  // USB maker and product when the device is on USB, else empty
};

// The serial devices present, for the port dialog: /dev/serial/by-id/* first (stable names),
// then ttyUSB*, ttyACM*, ttyS* in number order. A ttyS whose sysfs type is 0 has no UART
// behind it and is left out. The roots are parameters so that a test can hand in a tree.
std::vector<SerialDeviceInfo> ListSerialDevices(const std::string& devRoot = "/dev",
                                                const std::string& sysRoot = "/sys");

}  // namespace quorvane
