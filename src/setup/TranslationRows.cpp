#include "setup/TranslationRows.h"

#include "setup/AsciiChartEntries.h"

namespace quorvane {

namespace {

constexpr char kNoBreakSpace = '\xA0';

bool EditsDdeTable(const SetupGlobals& g) {
    return g.Mode == kModeDde;
}

std::string DefaultCharTable(const SetupGlobals& g) {
    return EditsDdeTable(g) ? DefaultTransferCharTableDde() : DefaultTransferCharTableLog();
}

// A table read from a hand-edited file may be short: the missing positions take their
// defaults, so that a pick lands at its own code.
std::string& FullCharTable(SetupGlobals& g) {
    std::string& table = EditsDdeTable(g) ? g.TransferCharTableDde : g.TransferCharTableLog;
    if (table.size() < 256) table += DefaultCharTable(g).substr(table.size());
    return table;
}

}  // namespace

int TransTableKindFor(TranslationTable which, int16_t mode) {
    if (which == TranslationTable::PreInput) return kTransInput;
    return mode == kModeKeystrokes ? kTransKeystrokes : kTransCharacters;
}

std::string TranslationRowPrefix(int code) {
    if (code < 0 || code > 255) return {};
    std::string prefix = " " + std::to_string(code);
    switch (code) {
        case 0:
            prefix += "\t    NUL\t\t";
            break;
        case 9:
            prefix += "\t    TAB\t\t";
            break;
        case 32:
            prefix += "\t    SPACE\t";
            break;
        case 160:
            prefix += "\t\t\t";
            break;
        default:
            prefix += "  \t";
            prefix += static_cast<char>(code);
            prefix += "   ";
            if (code < 32) prefix += ControlCodeName(code);
            prefix += "\t\t";
    }
    return prefix + kNoBreakSpace;
}

const std::array<std::string, 256>& TranslationRowPrefixes() {
    static const std::array<std::string, 256> prefixes = [] {
        std::array<std::string, 256> all;
        for (int code = 0; code < 256; ++code)
            all[static_cast<size_t>(code)] = TranslationRowPrefix(code);
        return all;
    }();
    return prefixes;
}

TranslationRowCells TranslationCellsOf(int code) {
    TranslationRowCells cells{std::to_string(code), {}};
    if (code == 9)
        cells.ControlName = "TAB";
    else if (code == 32)
        cells.ControlName = "SPACE";
    else if (code >= 0 && code < 32) {
        cells.ControlName = ControlCodeName(code);
        if (cells.ControlName.back() == ' ') cells.ControlName.pop_back();
    }
    return cells;
}

std::string TranslationColumnText(int kind, const std::string& entry) {
    if (kind == kTransKeystrokes || entry.size() != 1) return entry;
    return "ASCII " + std::to_string(static_cast<unsigned char>(entry[0]));
}

std::string TranslationEntry(const SetupGlobals& g, int kind, int code) {
    if (code < 0 || code > 255) return {};
    const auto at = static_cast<size_t>(code);
    if (kind == kTransKeystrokes) return g.TransferKeyTable[at];
    if (kind == kTransInput) return g.InputTranslation[at];
    const std::string& table = EditsDdeTable(g) ? g.TransferCharTableDde : g.TransferCharTableLog;
    return std::string(1, at < table.size() ? table[at] : DefaultCharTable(g)[at]);
}

std::string TranslationRowText(const SetupGlobals& g, int kind, int code) {
    if (code < 0 || code > 255) return {};
    return TranslationRowPrefixes()[static_cast<size_t>(code)] +
           TranslationColumnText(kind, TranslationEntry(g, kind, code));
}

void StoreTranslation(SetupGlobals& g, int kind, int code, const std::string& pick) {
    if (pick.empty() || code < 0 || code > 255) return;
    const auto at = static_cast<size_t>(code);
    if (kind == kTransKeystrokes) {
        g.TransferKeyTable[at] = pick;
    } else if (kind == kTransInput) {
        g.InputTranslation[at] =
            (pick == kIgnoreEntry || pick == kVoidRecordEntry) ? pick.substr(1) : pick.substr(0, 1);
    } else {
        FullCharTable(g)[at] = pick[0];
    }
}

void ResetTranslationTable(SetupGlobals& g, int kind) {
    if (kind == kTransKeystrokes) {
        g.TransferKeyTable = DefaultTransferKeyTable(IsTrue(g.DirectKeyEvents));
    } else if (kind == kTransInput) {
        g.InputTranslation = DefaultInputTranslation();
    } else if (EditsDdeTable(g)) {
        g.TransferCharTableDde = DefaultTransferCharTableDde();
    } else {
        g.TransferCharTableLog = DefaultTransferCharTableLog();
    }
}

}  // namespace quorvane
