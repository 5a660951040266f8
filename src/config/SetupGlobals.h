// The one configuration: every stored setting, the working state that goes with it and the
// constant tables. Every part reads and writes the members directly; there are no accessors
// and no change notifications. A dialog that changes a setting also sets ConfigChanged.
//
// Texts are byte strings in the configuration's single-byte code page (codes 0..255, NUL
// included). Booleans are 16-bit integers: true is -1, false is 0, any non-zero value reads
// as true.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

inline constexpr int16_t kTrue = -1;
inline constexpr int16_t kFalse = 0;

inline constexpr int kMaxFields = 40;  // fields 1..40 are configurable
// The most bytes the output queue holds: as much as one {SENDFILE} may queue. At 9600 baud
// that is more than two minutes of output, so nothing a user or a program sends on purpose
// comes near it, while a sender faster than the device is refused instead of growing the
// program's memory without end.
inline constexpr size_t kOutputQueueLimit = 131000;
inline constexpr int kFieldSlots = 43;     // per-field arrays have room for 0..42
inline constexpr int kStringButtons = 20;  // output strings 1..20
inline constexpr int kHotKeySlots = 50;    // hot keys 0..49

// Named formats: display name k (from the interface's string table, 9004..9009) stands for
// stored name k.
struct NamedFormat {
    std::string DisplayName;  // code-page bytes, as a FieldFormat typed in the editor holds them
    std::string StoredName;
};

struct SetupGlobals {
    // --- Serial port ---
    int16_t PortIndex = 0;      // port number minus 1; 0 is COM1
    int16_t BaudRateIndex = 6;  // index into the baud table; 6 = 9600
    int16_t Parity = 2;         // 0 None, 1 Odd, 2 Even, 3 Mark, 4 Space
    int16_t DataBitsIndex = 2;  // data bits minus 5
    int16_t StopBits = 0;       // 0 one, 1 one and a half, 2 two
    int16_t FlowControl = 0;    // 0 None, 1 Xon/Xoff, 2 Hardware, 3 Opto-RS
    int32_t InputBufferSize = 4096;
    int32_t OutputBufferSize = 512;

    // --- Input record structure ---
    int16_t RecordStructure = 0;     // 0 single field, 1 delimited, 2 fixed-length
    int16_t StartOfRecordEvent = 0;  // 0 any, 1 alphanumeric, 2 numeric, 3 one of StartChars
    std::string StartChars;          // raw
    int16_t EndOfRecordEvent = 0;    // 0 CR, 1 time gap, 2 RecordLength bytes, 3 one of EndChars
    std::string EndChars;            // raw
    int16_t RecordGapTicks = 3;      // poll ticks (50 ms) of silence that end a record
    int16_t RecordLength = 0;
    int16_t NumberOfFields = 1;
    std::string DelimiterChar = ",";
    std::string RecordPreamble;  // raw

    // --- Per-field definitions, index 1..40 ---
    std::array<std::string, kFieldSlots> FieldFilter;  // "C", "I", "N", "H", "O", "B"
    std::array<int16_t, kFieldSlots> FieldLength{};
    std::array<std::string, kFieldSlots> FieldPostamble;  // raw
    std::array<std::string, kFieldSlots> FieldFormat;
    std::array<std::string, kFieldSlots> FieldMath;

    // --- Delivery ---
    int16_t Mode = 0;  // 0 Send Keystrokes, 1 DDE Server, 2 Log to disk
    std::string TargetAppTitle = "Notepad";
    std::string TargetAppCommand = "Notepad.exe";
    int16_t TargetAppSpecified = kTrue;
    std::string DdeTargetApp = "Excel";
    std::string DdeTargetTopic = "System";
    std::string DdeTargetItem;
    std::string LogFileName;  // ResetToDefaults puts Quorvane.Log in the user's home folder

    // --- Translation tables ---
    std::array<std::string, 256> InputTranslation;  // one character, "Ignore" or "Void Record"
    std::array<std::string, 256> TransferKeyTable;  // keystroke macro text; "NUL" sends nothing
    std::string TransferCharTableDde;               // 256 characters; position b+1 replaces byte b
    std::string TransferCharTableLog;               // 256 characters

    // --- Output strings ---
    std::string AckString;      // raw
    std::string TimerString;    // raw
    int32_t TimerInterval = 0;  // ms, at most 99999999
    int16_t TimerOptions = 0;   // 1 enable on activation, 2 transmit, 4 toggle DTR, 8 break
    std::array<std::string, kStringButtons + 1> ButtonCaption;  // index 1..20
    std::array<std::string, kStringButtons + 1> ButtonString;   // raw, index 1..20

    // --- DDE links and topic ---
    std::string CommandLinkApp, CommandLinkTopic, CommandLinkItem;
    int16_t CommandLinkOnActivation = kFalse;
    std::string BufferLinkApp, BufferLinkTopic, BufferLinkItem;
    int16_t BufferLinkOnActivation = kFalse;
    int16_t StripCrLfFromBuffer = kTrue;
    std::string DdeTopicName;

    // --- Preferences ---
    int16_t BeepOnInput = kFalse;
    int16_t MinimizeOnActivation = kFalse;
    int16_t ActivateSuspended = kFalse;
    int16_t AlwaysOnTop = kFalse;
    int16_t WindowButtons = 0;  // 1 DTR toggle button, 2 BREAK button
    int16_t ShowDateTime = kFalse;
    std::string DateTimeFormat;

    // --- Hot keys, slot 0..49 ---
    std::array<int16_t, kHotKeySlots> HotKeyCode{};      // modifier set * 256 + virtual-key code
    std::array<int16_t, kHotKeySlots> HotKeyAction{};    // 0..13
    std::array<std::string, kHotKeySlots> HotKeyString;  // raw

    // --- Working state, never stored in the configuration file ---
    std::string ConfigFileName;  // native path (UTF-8 on Linux); empty means Untitled
    int16_t ConfigChanged = kFalse;
    int16_t ConfigLoaded = kFalse;
    int16_t RunMode = 0;      // 0 setup, 1 Normal, 2 Virtual Instrument, 3 Test
    std::string PortName;     // "COM" + (PortIndex + 1), set when the port opens
    std::string OutputQueue;  // bytes waiting for the device; producers append, the flush removes
    int16_t DirectKeyEvents = kFalse;  // "/K" on the command line
    std::string DecimalSeparator = ".";
    int16_t DdeDialogKind = 0;  // the kind DDEParms shows: 0 target, 1 command source, 2 buffer

    // --- Constant tables ---
    std::array<NamedFormat, 7> NamedFormats;  // rows 1..6
};

// RunMode values.
enum RunModes : int16_t { kRunSetup = 0, kRunNormal = 1, kRunVirtual = 2, kRunTest = 3 };
// Mode values.
enum DeliveryModes : int16_t { kModeKeystrokes = 0, kModeDde = 1, kModeLog = 2 };

// Baud rate of a BaudRateIndex; any index outside 0..11 means 9600.
int32_t BaudRate(int index);

// The stored names of the six named formats, rows 1..6.
extern const std::array<const char*, 7> kNamedFormatStoredNames;

// Establishes the File New defaults. The caller clears ConfigFileName and shows the title.
// homeDirectory is where the default log file lives (Quorvane.Log there).
void ResetToDefaults(SetupGlobals& g, const std::string& homeDirectory);

// The File New pre-input table: every byte translates to itself.
std::array<std::string, 256> DefaultInputTranslation();
// The File New pre-transfer tables: the keystroke table (a space is " " instead of "{ }"
// when keystrokes are the program's own key events), and the DDE and log character tables
// (256 characters each; position b+1 replaces byte b).
std::array<std::string, 256> DefaultTransferKeyTable(bool directKeyEvents);
std::string DefaultTransferCharTableDde();
std::string DefaultTransferCharTableLog();

// The default log file setting (code-page bytes) for a home directory (UTF-8):
// <home>/Quorvane.Log, or the bare Quorvane.Log when the code page cannot hold <home>.
std::string DefaultLogFileName(const std::string& homeDirectory);

// The home directory from the environment ($HOME), "." when it is not set.
std::string HomeDirectory();

// The fields of a record of g: NumberOfFields, held to 1..40 whatever the setting holds (a
// record always has its first field).
inline int FieldCount(const SetupGlobals& g) {
    return g.NumberOfFields < 1 ? 1 : g.NumberOfFields > kMaxFields ? kMaxFields : g.NumberOfFields;
}

// Appends text to the output queue when the queue then stays within kOutputQueueLimit;
// false, with nothing added, otherwise.
inline bool AppendWithinOutputLimit(std::string& queue, std::string_view text) {
    if (text.size() > kOutputQueueLimit - std::min(queue.size(), kOutputQueueLimit)) return false;
    queue.append(text);
    return true;
}

// True when a 16-bit boolean setting holds true (any non-zero value).
inline bool IsTrue(int16_t value) {
    return value != 0;
}

}  // namespace quorvane
