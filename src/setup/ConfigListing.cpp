#include "setup/ConfigListing.h"

#include <array>
#include <cstdint>

#include "config/KeyNames.h"

namespace quorvane {

namespace {

template <size_t N>
std::string Pick(const std::array<const char*, N>& names, int value) {
    if (value < 0 || value >= static_cast<int>(N)) return "out of range";
    return names[static_cast<size_t>(value)];
}

constexpr std::array<const char*, 5> kParity = {"None", "Odd", "Even", "Mark", "Space"};
constexpr std::array<const char*, 3> kStopBits = {"1 stop bit", "1.5 stop bits", "2 stop bits"};
constexpr std::array<const char*, 4> kFlow = {"None", "Xon/Xoff", "Hardware", "Opto-RS"};
constexpr std::array<const char*, 3> kStructure = {"single field", "delimited fields",
                                                   "fixed-length fields"};
constexpr std::array<const char*, 4> kStart = {"any character", "alphanumeric character",
                                               "numeric character", "one of StartChars"};
constexpr std::array<const char*, 4> kEnd = {"CR or CR LF", "time gap", "RecordLength bytes",
                                             "one of EndChars"};
constexpr std::array<const char*, 3> kMode = {"Send Keystrokes", "DDE Server", "Log to disk"};
constexpr std::array<const char*, 14> kActions = {"None",
                                                  "Transmit String",
                                                  "Issue BREAK Signal",
                                                  "Toggle DTR",
                                                  "Enable Timer",
                                                  "Disable Timer",
                                                  "Raise DTR Line",
                                                  "Lower DTR Line",
                                                  "Raise RTS Line",
                                                  "Lower RTS Line",
                                                  "Reset",
                                                  "Suspend",
                                                  "Enable",
                                                  "Enable For 1 Data Record"};

std::string Bits(int value, const std::array<const char*, 4>& names) {
    std::string out;
    for (size_t bit = 0; bit < names.size(); ++bit) {
        if ((value & (1 << bit)) == 0 || names[bit] == nullptr) continue;
        if (!out.empty()) out += ", ";
        out += names[bit];
    }
    return out.empty() ? "none" : out;
}

class Listing {
  public:
    void Int(const std::string& name, int64_t value, const std::string& meaning = "") {
        out += name + " = " + std::to_string(value);
        if (!meaning.empty()) out += "  # " + meaning;
        out += '\n';
    }
    void Bool(const std::string& name, int16_t value) {
        Int(name, value, IsTrue(value) ? "true" : "false");
    }
    void Text(const std::string& name, std::string_view value) {
        out += name + " = " + EscapeText(value) + '\n';
    }
    static std::string At(const char* name, int index) {
        return std::string(name) + "[" + std::to_string(index) + "]";
    }

    std::string out;
};

}  // namespace

std::string EscapeText(std::string_view bytes) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        switch (b) {
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\0':
                out += "\\0";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                if (b >= 0x20 && b < 0x7F) {
                    out += c;
                } else {
                    out += "\\x";
                    out += kHex[b >> 4];
                    out += kHex[b & 0xF];
                }
        }
    }
    return out;
}

std::string HotKeyCodeName(int16_t code) {
    const auto bits = static_cast<uint16_t>(code);
    const int key = bits & 0xFF;
    if (key == 0) return "none";
    const int modifiers = bits >> 8;
    std::string name;
    if (modifiers & 1) name += "Shift+";
    if (modifiers & 2) name += "Ctrl+";
    if (modifiers & 4) name += "Alt+";
    const std::string& keyName = KeyName(key);
    return name + (keyName.empty() ? "key " + std::to_string(key) : keyName);
}

std::string ConfigListing(const SetupGlobals& g) {
    Listing l;
    l.Int("PortIndex", g.PortIndex, "COM" + std::to_string(g.PortIndex + 1));
    l.Int("BaudRateIndex", g.BaudRateIndex, std::to_string(BaudRate(g.BaudRateIndex)) + " baud");
    l.Int("Parity", g.Parity, Pick(kParity, g.Parity));
    l.Int("DataBitsIndex", g.DataBitsIndex,
          g.DataBitsIndex >= 0 && g.DataBitsIndex <= 3
              ? std::to_string(g.DataBitsIndex + 5) + " data bits"
              : "out of range");
    l.Int("StopBits", g.StopBits, Pick(kStopBits, g.StopBits));
    l.Int("FlowControl", g.FlowControl, Pick(kFlow, g.FlowControl));
    l.Int("InputBufferSize", g.InputBufferSize);
    l.Int("OutputBufferSize", g.OutputBufferSize);
    l.Bool("BeepOnInput", g.BeepOnInput);
    l.Int("Mode", g.Mode, Pick(kMode, g.Mode));
    l.Int("RecordGapTicks", g.RecordGapTicks);
    l.Int("StartOfRecordEvent", g.StartOfRecordEvent, Pick(kStart, g.StartOfRecordEvent));
    l.Int("EndOfRecordEvent", g.EndOfRecordEvent, Pick(kEnd, g.EndOfRecordEvent));
    l.Int("RecordStructure", g.RecordStructure, Pick(kStructure, g.RecordStructure));
    l.Int("RecordLength", g.RecordLength);
    l.Int("NumberOfFields", g.NumberOfFields);
    l.out += "DelimiterChar = " + EscapeText(g.DelimiterChar);
    if (!g.DelimiterChar.empty()) {
        l.out += "  # code " + std::to_string(static_cast<unsigned char>(g.DelimiterChar[0]));
    }
    l.out += '\n';
    l.Text("TargetAppTitle", g.TargetAppTitle);
    l.Text("TargetAppCommand", g.TargetAppCommand);
    l.Bool("TargetAppSpecified", g.TargetAppSpecified);
    l.Text("DdeTargetApp", g.DdeTargetApp);
    l.Text("DdeTargetTopic", g.DdeTargetTopic);
    l.Text("DdeTargetItem", g.DdeTargetItem);
    for (int b = 0; b < 256; ++b) l.Text(Listing::At("TransferKeyTable", b), g.TransferKeyTable[b]);
    for (int b = 0; b < 256; ++b) l.Text(Listing::At("InputTranslation", b), g.InputTranslation[b]);
    const auto table = [&](const char* name, const std::string& chars) {
        for (int b = 0; b < 256; ++b) {
            const int code =
                b < static_cast<int>(chars.size()) ? static_cast<unsigned char>(chars[b]) : 0;
            l.Int(Listing::At(name, b), code);
        }
    };
    table("TransferCharTableDde", g.TransferCharTableDde);
    table("TransferCharTableLog", g.TransferCharTableLog);
    for (int n = 1; n <= kStringButtons; ++n) {
        l.Text(Listing::At("ButtonCaption", n), g.ButtonCaption[n]);
        l.Text(Listing::At("FieldFilter", n), g.FieldFilter[n]);
        l.Int(Listing::At("FieldLength", n), g.FieldLength[n]);
        l.Text(Listing::At("FieldFilter", n + 20), g.FieldFilter[n + 20]);
        l.Int(Listing::At("FieldLength", n + 20), g.FieldLength[n + 20]);
        l.Text(Listing::At("FieldFormat", n), g.FieldFormat[n]);
        l.Text(Listing::At("FieldFormat", n + 20), g.FieldFormat[n + 20]);
    }
    l.Text("LogFileName", g.LogFileName);
    l.Bool("MinimizeOnActivation", g.MinimizeOnActivation);
    l.Text("CommandLinkApp", g.CommandLinkApp);
    l.Text("CommandLinkTopic", g.CommandLinkTopic);
    l.Text("CommandLinkItem", g.CommandLinkItem);
    l.Bool("CommandLinkOnActivation", g.CommandLinkOnActivation);
    l.Text("BufferLinkApp", g.BufferLinkApp);
    l.Text("BufferLinkTopic", g.BufferLinkTopic);
    l.Text("BufferLinkItem", g.BufferLinkItem);
    l.Bool("BufferLinkOnActivation", g.BufferLinkOnActivation);
    l.Bool("StripCrLfFromBuffer", g.StripCrLfFromBuffer);
    l.Text("DateTimeFormat", g.DateTimeFormat);
    l.Bool("ShowDateTime", g.ShowDateTime);
    l.Int("WindowButtons", g.WindowButtons,
          Bits(g.WindowButtons, {"DTR button", "BREAK button", nullptr, nullptr}));
    l.Int("TimerInterval", g.TimerInterval);
    l.Int("TimerOptions", g.TimerOptions,
          Bits(g.TimerOptions,
               {"enabled on activation", "Transmit String", "Toggle DTR", "Issue Break"}));
    l.Bool("ActivateSuspended", g.ActivateSuspended);
    l.Bool("AlwaysOnTop", g.AlwaysOnTop);
    for (int s = 0; s < kHotKeySlots; ++s) {
        l.Int(Listing::At("HotKeyAction", s), g.HotKeyAction[s], Pick(kActions, g.HotKeyAction[s]));
        l.Int(Listing::At("HotKeyCode", s), g.HotKeyCode[s], HotKeyCodeName(g.HotKeyCode[s]));
    }
    for (int n = 1; n <= kMaxFields; ++n) l.Text(Listing::At("FieldMath", n), g.FieldMath[n]);
    // The raw texts in the order of the file's block.
    l.Text("StartChars", g.StartChars);
    l.Text("EndChars", g.EndChars);
    l.Text("AckString", g.AckString);
    l.Text("TimerString", g.TimerString);
    l.Text("RecordPreamble", g.RecordPreamble);
    for (int n = 1; n <= kStringButtons; ++n) {
        l.Text(Listing::At("ButtonString", n), g.ButtonString[n]);
    }
    for (int n = 1; n <= kMaxFields; ++n) {
        l.Text(Listing::At("FieldPostamble", n), g.FieldPostamble[n]);
    }
    for (int s = 0; s < kHotKeySlots; ++s) {
        l.Text(Listing::At("HotKeyString", s), g.HotKeyString[s]);
    }
    l.Text("DdeTopicName", g.DdeTopicName);
    return l.out;
}

}  // namespace quorvane
