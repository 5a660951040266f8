// The broker password, read from a file so that it never stands on a command line (where
// every user sees it in the process list). The password is the file's first line, without
// its line end (LF or CR LF).
#pragma once

#include <string>
#include <vector>

namespace quorvane {

struct MqttPasswordRead {
    bool ok = false;
    std::string password;               // when ok
    std::string error;                  // when !ok: the message (UTF-8, interface language)
    std::vector<std::string> warnings;  // the file is readable by group or others
};

// path: UTF-8. A missing or unreadable file, an empty password and one longer than MQTT
// allows are errors.
MqttPasswordRead ReadMqttPasswordFile(const std::string& path);

}  // namespace quorvane
