#include "config/SetupGlobals.h"

#include <cstdlib>

#include "config/CodePage.h"

namespace quorvane {

namespace {

constexpr std::array<int32_t, 12> kBaudTable = {110,  300,   600,   1200,  2400,  4800,
                                                9600, 14400, 19200, 38400, 57600, 115200};

void ResetTransferTables(SetupGlobals& g) {
    g.InputTranslation = DefaultInputTranslation();
    g.TransferCharTableDde = DefaultTransferCharTableDde();
    g.TransferCharTableLog = DefaultTransferCharTableLog();
    g.TransferKeyTable = DefaultTransferKeyTable(IsTrue(g.DirectKeyEvents));
}

}  // namespace

const std::array<const char*, 7> kNamedFormatStoredNames = {
    "", "General Number", "Currency", "Fixed", "Standard", "Percent", "Scientific"};

std::array<std::string, 256> DefaultInputTranslation() {
    std::array<std::string, 256> table;
    for (int b = 0; b < 256; ++b) table[b] = std::string(1, static_cast<char>(b));
    return table;
}

std::array<std::string, 256> DefaultTransferKeyTable(bool directKeyEvents) {
    std::array<std::string, 256> table;
    for (int b = 0; b < 256; ++b)
        table[b] = (b < 32 || (b >= 128 && b < 160)) ? "NUL" : std::string(1, static_cast<char>(b));
    static const struct {
        int code;
        const char* macro;
    } kKeyEntries[] = {{8, "{BACKSPACE}"}, {9, "{TAB}"},     {13, "{ENTER}"}, {37, "{%}"},
                       {40, "{(}"},        {41, "{)}"},      {43, "{+}"},     {91, "{[}"},
                       {93, "{]}"},        {94, "{^}"},      {123, "{{}"},    {125, "{}}"},
                       {126, "{~}"},       {127, "{DELETE}"}};
    for (const auto& entry : kKeyEntries) table[entry.code] = entry.macro;
    const char* space = directKeyEvents ? " " : "{ }";
    table[32] = space;
    table[160] = space;
    return table;
}

std::string DefaultTransferCharTableDde() {
    std::string table = DefaultTransferCharTableLog();
    std::fill(table.begin(), table.begin() + 32, '\0');
    return table;
}

std::string DefaultTransferCharTableLog() {
    std::string table(256, '\0');
    for (int b = 0; b < 256; ++b) table[b] = static_cast<char>(b);
    return table;
}

int32_t BaudRate(int index) {
    if (index < 0 || index >= static_cast<int>(kBaudTable.size())) return 9600;
    return kBaudTable[static_cast<size_t>(index)];
}

std::string DefaultLogFileName(const std::string& homeDirectory) {
    // The setting holds code-page bytes. A home folder the code page cannot spell is left
    // out: a bare name is opened in the home folder, so the log still lands there.
    bool lossless = true;
    std::string name = CodePage::FromUtf8(homeDirectory.empty() ? "." : homeDirectory, &lossless);
    if (!lossless) return "Quorvane.Log";
    if (name.back() != '/') name += '/';
    return name + "Quorvane.Log";
}

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    return (home && *home) ? std::string(home) : std::string(".");
}

void ResetToDefaults(SetupGlobals& g, const std::string& homeDirectory) {
    // The working state and the constant tables survive a reset; every stored setting
    // takes its File New value.
    SetupGlobals fresh;
    fresh.ConfigFileName = g.ConfigFileName;
    fresh.RunMode = g.RunMode;
    fresh.PortName = g.PortName;
    fresh.OutputQueue = std::move(g.OutputQueue);
    fresh.DirectKeyEvents = g.DirectKeyEvents;
    fresh.DecimalSeparator = g.DecimalSeparator;
    fresh.NamedFormats = g.NamedFormats;
    g = std::move(fresh);

    g.DdeTopicName.clear();
    ResetTransferTables(g);
    g.ConfigLoaded = kFalse;
    g.ConfigChanged = kFalse;
    g.LogFileName = DefaultLogFileName(homeDirectory);
    for (int n = 1; n <= kStringButtons; ++n) {
        g.ButtonCaption[n] = "String" + std::to_string(n);
        g.ButtonString[n].clear();
    }
    for (int n = 1; n <= kMaxFields; ++n) {
        g.FieldFilter[n] = "C";
        g.FieldLength[n] = 0;
        g.FieldPostamble[n].clear();
        g.FieldFormat[n].clear();
        g.FieldMath[n].clear();
    }
    g.ActivateSuspended = kFalse;
    g.AlwaysOnTop = kFalse;
    for (int s = 0; s < kHotKeySlots; ++s) {
        g.HotKeyAction[s] = 0;
        g.HotKeyCode[s] = 0;
        g.HotKeyString[s].clear();
    }
}

}  // namespace quorvane
