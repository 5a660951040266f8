#include "serial/PortMessages.h"

#include "strings/StringTable.h"

namespace quorvane {

std::string DeviceFailureDetail(const SerialError& error) {
    std::string detail = error.DevicePath;
    if (!error.OsMessage.empty()) {
        if (!detail.empty()) detail += ": ";
        detail += error.OsMessage;
    }
    if (!error.DeviceGroup.empty()) {
        // Serial devices are usually group dialout; membership is what opens them.
        if (!detail.empty()) detail += ". ";
        detail += "The device belongs to the group " + error.DeviceGroup +
                  ": add your user to it (sudo usermod -aG " + error.DeviceGroup +
                  " $USER) and log in again.";
    }
    return detail;
}

PortMessage OpenFailureMessage(const std::string& portName, const SerialError& error) {
    PortMessage m;
    switch (error.Kind) {
        case SerialErrorKind::GetState:
            m.Text = "GetComState failed";
            break;
        case SerialErrorKind::SetState:
            m.Text = "SetComState failed";
            break;
        default: {
            m.Text = portName + " " + LoadString(kStrDeviceNotAvailable);
            const std::string detail = DeviceFailureDetail(error);
            if (!detail.empty()) m.Text += "\n" + detail;
            m.Title = LoadString(kStrDeviceError);
            m.Icon = MessageIcon::Exclamation;
            break;
        }
    }
    return m;
}

void ShowOpenFailure(Messages& messages, const std::string& portName, const SerialError& error) {
    const PortMessage m = OpenFailureMessage(portName, error);
    messages.Show(m.Text, m.Title, MessageButtons::Ok, m.Icon);
}

}  // namespace quorvane
