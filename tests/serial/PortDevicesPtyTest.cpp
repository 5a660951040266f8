// Port name to device mapping and the device listing, on a made-up /dev and /sys tree.
#include "platform/linux/PortDevices.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace quorvane {
namespace {
namespace fs = std::filesystem;

class TempDir {
  public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "quorvane-ports-XXXXXX").string();
        path = mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
    }
    ~TempDir() {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);
    }
    fs::path path;
};

void WriteFile(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

TEST(PortOverride, ParsesPortAndPath) {
    struct Row {
        const char* text;
        const char* port;  // nullptr: refused
        const char* path;
    };
    const Row rows[] = {
        {"COM3=/dev/ttyUSB0", "COM3", "/dev/ttyUSB0"},
        {"com12=/tmp/vdev", "COM12", "/tmp/vdev"},
        {"COM1=/dev/serial/by-id/a=b", "COM1", "/dev/serial/by-id/a=b"},
        {"COM3=", nullptr, nullptr},
        {"COM3", nullptr, nullptr},
        {"=/dev/ttyUSB0", nullptr, nullptr},
        {"COM0=/dev/x", nullptr, nullptr},
        {"COM03=/dev/x", nullptr, nullptr},
        {"COM=/dev/x", nullptr, nullptr},
        {"COM3x=/dev/x", nullptr, nullptr},
        {"LPT1=/dev/x", nullptr, nullptr},
        {" COM3=/dev/x", nullptr, nullptr},
    };
    for (const Row& row : rows) {
        const std::optional<PortOverride> o = ParsePortOverride(row.text);
        if (!row.port) {
            EXPECT_FALSE(o.has_value()) << row.text;
            continue;
        }
        ASSERT_TRUE(o.has_value()) << row.text;
        EXPECT_EQ(o->PortName, row.port);
        EXPECT_EQ(o->DevicePath, row.path);
    }
}

TEST(PortDeviceMap, OverrideThenStoreThenDefault) {
    TempDir dir;
    const std::string ini = (dir.path / "Quorvane" / "Quorvane.ini").string();
    PortDeviceMap map(ini);
    EXPECT_EQ(map.DevicePathFor("COM1"), "/dev/ttyS0");
    EXPECT_EQ(map.DevicePathFor("COM12"), "/dev/ttyS11");
    EXPECT_EQ(map.DevicePathFor("bogus"), "");

    ASSERT_TRUE(map.StoreDevicePath("COM2", "/dev/ttyUSB0"));
    EXPECT_EQ(map.DevicePathFor("COM2"), "/dev/ttyUSB0");
    EXPECT_EQ(PortDeviceMap(ini).StoredDevicePath("COM2"), "/dev/ttyUSB0");  // kept in the file

    std::ifstream in(ini);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("[Ports]"), std::string::npos) << text;
    EXPECT_NE(text.find("COM2=/dev/ttyUSB0"), std::string::npos) << text;

    EXPECT_TRUE(map.AddOverride("COM2=/dev/pts/7"));
    EXPECT_TRUE(map.AddOverride("COM2=/dev/pts/9"));  // the later one wins
    EXPECT_FALSE(map.AddOverride("COM2"));
    EXPECT_EQ(map.DevicePathFor("COM2"), "/dev/pts/9");
    EXPECT_EQ(map.Overrides().size(), 1u);
    EXPECT_EQ(PortDeviceMap(ini).DevicePathFor("COM2"), "/dev/ttyUSB0");  // only for this run

    ASSERT_TRUE(map.StoreDevicePath("COM2", ""));
    EXPECT_EQ(PortDeviceMap(ini).DevicePathFor("COM2"), "/dev/ttyS1");
}

TEST(PortDeviceMap, SettingsFileFollowsXdgConfigHome) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(DefaultPortSettingsFile(), "/tmp/cfg/Quorvane/Quorvane.ini");
    setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored, as XDG says
    const char* home = std::getenv("HOME");
    EXPECT_EQ(DefaultPortSettingsFile(),
              std::string(home ? home : ".") + "/.config/Quorvane/Quorvane.ini");
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(ListSerialDevices, StableNamesFirstThenKernelNamesInNumberOrder) {
    TempDir root;
    const fs::path dev = root.path / "dev";
    const fs::path sys = root.path / "sys";
    // A USB serial adapter: sysfs device dir with the strings, the tty below its interface.
    const fs::path usb = sys / "devices/pci0000:00/0000:00:14.0/usb1/1-2";
    WriteFile(usb / "idVendor", "0403\n");
    WriteFile(usb / "idProduct", "6001\n");
    WriteFile(usb / "manufacturer", "FTDI\n");
    WriteFile(usb / "product", "FT232R USB UART\n");
    fs::create_directories(usb / "1-2:1.0/ttyUSB0");
    // A CDC device without strings: described by its ids.
    const fs::path acm = sys / "devices/pci0000:00/0000:00:14.0/usb1/1-3";
    WriteFile(acm / "idVendor", "2341\n");
    WriteFile(acm / "idProduct", "0043\n");
    fs::create_directories(acm / "1-3:1.0");
    fs::create_directories(sys / "class/tty/ttyUSB0");
    fs::create_directory_symlink(usb / "1-2:1.0/ttyUSB0", sys / "class/tty/ttyUSB0/device");
    fs::create_directories(sys / "class/tty/ttyACM0");
    fs::create_directory_symlink(acm / "1-3:1.0", sys / "class/tty/ttyACM0/device");
    WriteFile(sys / "class/tty/ttyS0/type", "4\n");  // a UART
    WriteFile(sys / "class/tty/ttyS1/type", "0\n");  // nothing behind it
    // ttyS10 has no type file: offered.

    for (const char* name :
         {"ttyS0", "ttyS1", "ttyS10", "ttyS2", "ttyUSB0", "ttyACM0", "tty0", "ttyUSBx", "console"})
        WriteFile(dev / name, "");
    WriteFile(sys / "class/tty/ttyS2/type", "4\n");
    fs::create_directories(dev / "serial/by-id");
    fs::create_symlink("../../ttyUSB0", dev / "serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0");

    const std::vector<SerialDeviceInfo> found = ListSerialDevices(dev.string(), sys.string());
    std::vector<std::string> paths;
    for (const SerialDeviceInfo& d : found) paths.push_back(d.Path);
    const std::string d = dev.string() + "/";
    EXPECT_EQ(paths, (std::vector<std::string>{
                         d + "serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0", d + "ttyUSB0",
                         d + "ttyACM0", d + "ttyS0", d + "ttyS2", d + "ttyS10"}));
    ASSERT_EQ(found.size(), 6u);
    EXPECT_EQ(found[0].KernelName, "ttyUSB0");
    EXPECT_EQ(found[0].Description, "FTDI FT232R USB UART");
    EXPECT_EQ(found[1].Description, "FTDI FT232R USB UART");
    EXPECT_EQ(found[2].Description, "USB 2341:0043");
    EXPECT_EQ(found[3].Description, "");
}

TEST(ListSerialDevices, MissingTreesGiveNothing) {
    EXPECT_TRUE(ListSerialDevices("/nonexistent/dev", "/nonexistent/sys").empty());
}

}  // namespace
}  // namespace quorvane
