// The messages the user sees when the port cannot be opened. Texts are UTF-8.
#pragma once

#include <string>

#include "platform/Messages.h"
#include "platform/SerialPort.h"
#include "strings/StringIds.h"

namespace quorvane {

struct PortMessage {
    std::string Text;
    std::string Title;  // empty: a plain box with no title of its own
    MessageIcon Icon = MessageIcon::None;
};

// The message for a failed open of portName ("COM3"). An unavailable device gives the port
// name, a blank and "Device Not Available." under the title "Device Error", with a second line
// naming the device and the system's reason, and for a permission error the group to join.
// A refused or unreadable line setting gives "SetComState failed" or "GetComState failed".
PortMessage OpenFailureMessage(const std::string& portName, const SerialError& error);

// The second line of the unavailable message: "<device>: <reason>" plus the group hint.
std::string DeviceFailureDetail(const SerialError& error);

// Shows the message of a failed open (with one OK button).
void ShowOpenFailure(Messages& messages, const std::string& portName, const SerialError& error);

}  // namespace quorvane
