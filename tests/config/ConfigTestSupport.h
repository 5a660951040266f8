// Shared by the configuration file tests: File New settings, the writer's bytes, a builder
// for files of the older layout (which the program only reads) and a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "config/ConfigLayout.h"
#include "config/ConfigWriter.h"
#include "config/SetupGlobals.h"

namespace quorvane::testing {

inline SetupGlobals FileNewSettings() {
    SetupGlobals g;
    ResetToDefaults(g, "/home/kim");
    return g;
}

inline std::string Serialize(const SetupGlobals& g) {
    std::string out;
    EXPECT_TRUE(SerializeConfig(g, out));
    return out;
}

// The lines of bytes[0, end), split at CR LF.
inline std::vector<std::string> LinesOf(const std::string& bytes, size_t end) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < end) {
        const size_t crlf = bytes.find("\r\n", pos);
        if (crlf == std::string::npos || crlf >= end) break;
        lines.push_back(bytes.substr(pos, crlf - pos));
        pos = crlf + 2;
    }
    return lines;
}

// Writes g in the older layout, item by item as the reader expects it. delimiterLine is
// what follows the delimiter character on its line (the reader ignores it).
inline std::string OlderLayoutBytes(const SetupGlobals& g, bool withTopicLine = true,
                                    const std::string& delimiterLine = "") {
    std::string out;
    const auto line = [&](const std::string& text) { out += text + "\r\n"; };
    const auto number = [&](long long v) { line((v >= 0 ? " " : "") + std::to_string(v) + " "); };
    const auto raw = [&](const std::string& text) {
        number(static_cast<long long>(text.size()));
        out += text;
    };
    line(std::string(kSignatureOld));
    for (long long v :
         {g.PortIndex, g.BaudRateIndex, g.Parity, g.DataBitsIndex, g.StopBits, g.FlowControl}) {
        number(v);
    }
    number(g.InputBufferSize);
    number(g.OutputBufferSize);
    for (long long v : {g.BeepOnInput, g.Mode, g.RecordGapTicks, g.StartOfRecordEvent,
                        g.EndOfRecordEvent, g.RecordStructure, g.RecordLength, g.NumberOfFields}) {
        number(v);
    }
    line(g.DelimiterChar + delimiterLine);
    line(g.TargetAppTitle);
    line(g.TargetAppCommand);
    number(g.TargetAppSpecified);
    line(g.DdeTargetApp);
    line(g.DdeTargetTopic);
    line(g.DdeTargetItem);
    for (const auto& e : g.TransferKeyTable) line(e);
    for (const auto& e : g.InputTranslation) {
        if (e == "Ignore" || e == "Void Record") {
            line(e);
        } else {
            line(" " + std::to_string(static_cast<unsigned char>(e[0])));
        }
    }
    for (char c : g.TransferCharTableDde) number(static_cast<unsigned char>(c));
    for (char c : g.TransferCharTableLog) number(static_cast<unsigned char>(c));
    raw(g.AckString);
    raw(g.TimerString);
    number(g.TimerInterval);
    number(g.TimerOptions);
    raw(g.RecordPreamble);
    for (int n = 1; n <= 20; ++n) {
        line(g.ButtonCaption[n]);
        raw(g.ButtonString[n]);
        line(g.FieldFilter[n]);
        number(g.FieldLength[n]);
        raw(g.FieldPostamble[n]);
        line(g.FieldFilter[n + 20]);
        number(g.FieldLength[n + 20]);
        raw(g.FieldPostamble[n + 20]);
        line(g.FieldFormat[n]);
        line(g.FieldFormat[n + 20]);
    }
    line(g.LogFileName);
    number(g.MinimizeOnActivation);
    line(g.CommandLinkApp);
    line(g.CommandLinkTopic);
    line(g.CommandLinkItem);
    number(g.CommandLinkOnActivation);
    line(g.BufferLinkApp);
    line(g.BufferLinkTopic);
    line(g.BufferLinkItem);
    number(g.BufferLinkOnActivation);
    number(g.StripCrLfFromBuffer);
    line(g.DateTimeFormat);
    number(g.ShowDateTime);
    number(g.WindowButtons);
    raw(g.StartChars);
    raw(g.EndChars);
    if (withTopicLine) line(g.DdeTopicName);
    return out;
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("quorvane-config-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace quorvane::testing
