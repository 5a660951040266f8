// The rules of the port settings dialog: what the buffer-size boxes accept while typing, what
// OK checks, and how the chosen options go into the settings.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/SetupGlobals.h"

namespace quorvane {

inline constexpr int32_t kMinBufferSize = 128;
inline constexpr int32_t kMaxBufferSize = 131072;
inline constexpr int kPortListCount = 99;  // COM1..COM99

// Option counts of the groups, and the captions of the groups whose captions are numbers (the
// others come from the string table: parity 2212..2216, flow control 2217..2220).
inline constexpr int kBaudOptions = 12, kParityOptions = 5, kDataBitsOptions = 4,
                     kStopBitsOptions = 3, kFlowOptions = 4;
inline constexpr std::array<const char*, kBaudOptions> kBaudCaptions{
    "110",  "300",   "600",   "1200",  "2400",  "4800",
    "9600", "14400", "19200", "38400", "57600", "115200"};
inline constexpr std::array<const char*, kDataBitsOptions> kDataBitsCaptions{"5", "6", "7", "8"};
inline constexpr std::array<const char*, kStopBitsOptions> kStopBitsCaptions{"1", "1.5", "2"};
inline constexpr int kFirstParityStringId = 2212;
inline constexpr int kFirstFlowStringId = 2217;

// "COM" + (index + 1): the connector list entry of a PortIndex.
std::string ConnectorName(int portIndex);

// A typed character in a buffer box: digits and Backspace go in, anything else is dropped
// (with a beep).
bool IsBufferBoxCharacter(char32_t character);

// The numeric value of a box text: its leading decimal digits after leading blanks, 0 when
// there are none; saturates above kMaxBufferSize so that a long text cannot overflow.
int64_t BufferBoxValue(std::string_view text);

enum class BufferEdit {
    Keep,       // the new text stands
    NotDigits,  // something other than digits came in (pasted): beep, previous text back
    TooLarge,   // above kMaxBufferSize: beep, message 4006, previous text back, caret at 5
};
BufferEdit CheckBufferEdit(std::string_view newText);

// Where the caret goes after a too-large text was taken back: position 5, or the end of a
// shorter text.
int CaretAfterRestore(std::string_view restoredText);

// What the dialog holds when OK is pressed.
struct PortSetupChoice {
    int PortIndex = 0;
    int BaudRateIndex = 6;
    int Parity = 2;
    int DataBitsIndex = 2;
    int StopBits = 0;
    int FlowControl = 0;
    std::string InputBufferText;
    std::string OutputBufferText;
};

// The dialog's controls filled from the settings. An index outside its group (only possible
// from a hand-edited file) shows the File New default of that setting, so every group has one
// option selected.
PortSetupChoice PortSetupChoiceFrom(const SetupGlobals& g);

enum class PortSetupResult { Stored, InputBufferInvalid, OutputBufferInvalid };

// OK: checks and stores the input buffer size, then the output buffer size (a failure there
// leaves the input size stored), then the options and the connector. ConfigChanged is set
// exactly when a stored value differs from the setting it replaces.
PortSetupResult ApplyPortSetup(SetupGlobals& g, const PortSetupChoice& choice);

}  // namespace quorvane
