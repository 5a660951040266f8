#include "analyzer/BestGuess.h"

#include <algorithm>

#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

// Every occurrence of marker in text replaced by number after one blank.
std::string PutNumber(std::string text, std::string_view marker, int number) {
    const std::string with = " " + std::to_string(number);
    for (size_t at = text.find(marker); at != std::string::npos;
         at = text.find(marker, at + with.size()))
        text.replace(at, marker.size(), with);
    return text;
}

}  // namespace

std::optional<BestGuess> GuessRecordStructure(std::string_view display) {
    if (display.empty()) return std::nullopt;
    display = display.substr(0, std::min(display.size(), kMaxAnalyzedLength));

    // Only the first record counts: the scan stops at its CR.
    int commas = 0, spaceRuns = 0, tabs = 0, asterisks = 0;
    bool crFound = false;
    BestGuess guess;
    guess.recordLength = static_cast<int>(display.size());
    for (size_t i = 0; i < display.size(); ++i) {
        const char c = display[i];
        if (c == '\r') {
            crFound = true;
            guess.recordLength = static_cast<int>(i) + 1;
            break;
        }
        if (c == ',') ++commas;
        if (c == '\t') ++tabs;
        if (c == '*') ++asterisks;
        if (c == ' ' && (i == 0 || display[i - 1] != ' ')) ++spaceRuns;
    }

    // The first delimiter seen, in this order of priority.
    struct Candidate {
        int count;
        const char* character;
        int nameId;
    };
    const Candidate candidates[] = {{commas, ",", kStrDelimiterNameComma},
                                    {spaceRuns, " ", kStrDelimiterNameSpace},
                                    {tabs, "\t", kStrDelimiterNameTab},
                                    {asterisks, "*", kStrDelimiterNameAsterisk}};
    int delimiters = 0;
    for (const Candidate& c : candidates) {
        if (c.count == 0) continue;
        delimiters = c.count;
        guess.delimiter = c.character;
        guess.delimiterNameId = c.nameId;
        break;
    }
    int fields = delimiters + 1;
    if (crFound) {
        guess.kind = fields > 1 ? GuessKind::Delimited : GuessKind::SingleFieldCr;
    } else if (fields > 1) {
        guess.kind = GuessKind::FixedLength;
        fields = 2 * fields - 1;  // each delimiter is a one-byte field between the data fields
    } else {
        guess.kind = GuessKind::SingleFieldPause;
    }
    guess.fields = std::min(fields, kMaxFields);
    return guess;
}

std::string BestGuessMessage(const BestGuess& guess) {
    switch (guess.kind) {
        case GuessKind::SingleFieldCr:
            return LoadString(kStrBestGuessSingleCr);
        case GuessKind::SingleFieldPause:
            return LoadString(kStrBestGuessSinglePause);
        case GuessKind::Delimited:
            return LoadString(guess.delimiterNameId) + " " +
                   PutNumber(LoadString(kStrBestGuessDelimited), "??", guess.fields);
        case GuessKind::FixedLength:
            return PutNumber(PutNumber(LoadString(kStrBestGuessFixed), "nn", guess.recordLength),
                             "xx", guess.fields);
    }
    return {};
}

void ApplyBestGuess(const BestGuess& guess, SetupGlobals& g) {
    switch (guess.kind) {
        case GuessKind::SingleFieldCr:
            g.EndOfRecordEvent = 0;
            g.RecordStructure = 0;
            break;
        case GuessKind::SingleFieldPause:
            g.EndOfRecordEvent = 1;
            g.RecordStructure = 0;
            break;
        case GuessKind::Delimited:
            g.EndOfRecordEvent = 0;
            g.RecordStructure = 1;
            g.DelimiterChar = guess.delimiter;
            break;
        case GuessKind::FixedLength:
            g.EndOfRecordEvent = 2;
            g.RecordStructure = 2;
            break;
    }
    g.NumberOfFields = static_cast<int16_t>(guess.fields);
    g.RecordLength = static_cast<int16_t>(guess.recordLength);
    g.ConfigChanged = kTrue;
}

BestGuessOutcome AnalyzeInput(std::string_view display, SetupGlobals& g, Messages& messages) {
    const std::optional<BestGuess> guess = GuessRecordStructure(display);
    if (!guess) {
        messages.Beep();
        return BestGuessOutcome::EmptyDisplay;
    }
    // Message boxes here break lines with LF.
    const MessageAnswer answer =
        messages.Show(BestGuessMessage(*guess) + "\n\n" + LoadString(kStrBestGuessQuestion),
                      LoadString(kStrBestGuessTitle), MessageButtons::YesNo, MessageIcon::Question);
    if (answer != MessageAnswer::Yes) return BestGuessOutcome::Declined;
    ApplyBestGuess(*guess, g);
    return BestGuessOutcome::Applied;
}

}  // namespace quorvane
