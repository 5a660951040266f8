#include "platform/linux/X11KeyboardDevices.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XInput2.h>

#include <vector>

#include "platform/linux/X11ErrorTrap.h"

namespace quorvane {

namespace {

bool IsXTestDevice(Display* display, int deviceId) {
    const Atom property = XInternAtom(display, "XTEST Device", True);
    if (property == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Status status = XIGetProperty(display, deviceId, property, 0, 1, False, AnyPropertyType,
                                        &type, &format, &count, &after, &data);
    if (data) XFree(data);
    return status == Success && type != None;
}

// The slave keyboards of the master keyboard that our XTest events go through.
std::vector<int> SlaveKeyboards(Display* display, bool xtest) {
    std::vector<int> slaves;
    int pointer = 0;
    if (!XIGetClientPointer(display, None, &pointer)) return slaves;
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(display, XIAllDevices, &count);
    if (!devices) return slaves;
    int master = -1;
    for (int i = 0; i < count; ++i) {
        if (devices[i].deviceid == pointer) master = devices[i].attachment;
    }
    for (int i = 0; i < count; ++i) {
        const XIDeviceInfo& device = devices[i];
        if (device.use != XISlaveKeyboard || device.attachment != master || !device.enabled) {
            continue;
        }
        if (IsXTestDevice(display, device.deviceid) == xtest) slaves.push_back(device.deviceid);
    }
    XIFreeDeviceInfo(devices);
    return slaves;
}

void AddDeviceKeys(Display* display, int deviceId, X11KeyBits& keys) {
    XDevice* device = XOpenDevice(display, static_cast<XID>(deviceId));
    if (!device) return;
    if (XDeviceState* state = XQueryDeviceState(display, device)) {
        XInputClass* item = state->data;
        for (int i = 0; i < state->num_classes; ++i) {
            if (item->c_class == KeyClass) {
                const auto* keyState = reinterpret_cast<XKeyState*>(item);
                for (size_t b = 0; b < keys.size(); ++b) keys[b] |= keyState->keys[b];
            }
            item = reinterpret_cast<XInputClass*>(reinterpret_cast<char*>(item) + item->length);
        }
        XFreeDeviceState(state);
    }
    XCloseDevice(display, device);
}

}  // namespace

bool X11KeyboardDevices::Available() {
    if (available_ < 0) {
        X11ErrorTrap trap(display_);
        int opcode = 0, event = 0, error = 0;
        int major = 2, minor = 0;
        available_ = XQueryExtension(display_, "XInputExtension", &opcode, &event, &error) &&
                     XIQueryVersion(display_, &major, &minor) == Success && major >= 2;
    }
    return available_ == 1;
}

X11KeyBits X11KeyboardDevices::UserHolds() {
    return Query(false);
}

X11KeyBits X11KeyboardDevices::XTestHolds() {
    return Query(true);
}

X11KeyBits X11KeyboardDevices::CombinedHolds() {
    X11KeyBits keys{};
    XQueryKeymap(display_, keys.data());
    return keys;
}

X11KeyBits X11KeyboardDevices::Query(bool xtest) {
    X11KeyBits keys{};
    if (!Available()) return keys;
    X11ErrorTrap trap(display_);
    for (int id : SlaveKeyboards(display_, xtest)) AddDeviceKeys(display_, id, keys);
    return keys;
}

}  // namespace quorvane
