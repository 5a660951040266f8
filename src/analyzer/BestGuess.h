// The analyzer's best guess at a record structure, from the first record of what the input
// display shows: single-field records ended by CR, single-field records separated by a pause,
// delimited records ended by CR, or fixed-length records. The guess is worded, asked, and on
// Yes written into the record-structure settings; nothing else of the configuration changes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "config/SetupGlobals.h"
#include "platform/Messages.h"

namespace quorvane {

// Counters and positions of the guess are 16-bit: a longer display is read on its first
// kMaxAnalyzedLength characters, as though that were all that had come.
inline constexpr size_t kMaxAnalyzedLength = 32767;

enum class GuessKind : int {
    SingleFieldCr = 0,     // one field, CR or CR LF at the end
    SingleFieldPause = 1,  // one field, a pause between records
    Delimited = 2,         // fields split at the delimiter, CR or CR LF at the end
    FixedLength = 3,       // no CR: each delimiter becomes a one-byte field of its own
};

struct BestGuess {
    GuessKind kind = GuessKind::SingleFieldCr;
    int recordLength = 0;     // position of the first CR (counted), else the analyzed length
    int fields = 1;           // at most kMaxFields
    std::string delimiter;    // the chosen delimiter character; empty when none was seen
    int delimiterNameId = 0;  // its name's string id; 0 when none was seen
};

// The guess for display text (code-page bytes as shown, NUL as character 255); nothing for an
// empty display.
std::optional<BestGuess> GuessRecordStructure(std::string_view display);

// The guess in words (UTF-8, the interface language), every number put in after one blank.
std::string BestGuessMessage(const BestGuess& guess);

// Writes the guess: EndOfRecordEvent, RecordStructure, NumberOfFields, RecordLength,
// DelimiterChar (delimited records only), and sets ConfigChanged.
void ApplyBestGuess(const BestGuess& guess, SetupGlobals& g);

enum class BestGuessOutcome { EmptyDisplay, Declined, Applied };

// "Analyze Input": beeps for an empty display; otherwise asks whether to configure with the
// guess (question icon, Yes/No) and writes it on Yes.
BestGuessOutcome AnalyzeInput(std::string_view display, SetupGlobals& g, Messages& messages);

}  // namespace quorvane
