// Feeds random bytes through the record engine under a random but valid configuration
// taken from the first input bytes, across ticks with idle checks, suspensions and resets.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "../tests/fakes/FakeClock.h"
#include "../tests/fakes/FakeDdeClient.h"
#include "../tests/fakes/FakeEngineView.h"
#include "../tests/fakes/FakeKeystrokeTarget.h"
#include "../tests/fakes/FakeLogSink.h"
#include "../tests/fakes/FakeMessages.h"
#include "config/SetupGlobals.h"
#include "engine/RecordEngine.h"

using namespace quorvane;

namespace {

class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int Range(int lo, int hi) { return lo + Byte() % (hi - lo + 1); }
    std::string Text(int maxLength) {
        std::string s;
        for (int n = Range(0, maxLength); n > 0; --n) s += static_cast<char>(Byte());
        return s;
    }
    const uint8_t* Rest() const { return data_ + pos_; }
    size_t RestSize() const { return size_ - std::min(pos_, size_); }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

class ChunkSource : public ByteSource {
  public:
    int ReadPortByte(uint8_t& byte) override {
        if (pos == size) return 0;
        byte = data[pos++];
        return 1;
    }
    const uint8_t* data = nullptr;
    size_t size = 0, pos = 0;
};

const char* const kMath[] = {
    "",      "field(1) * 2 + 1", "val(field(2)) + 1", "field(41)", "&h field(1)",
    "1 / 0", "sqr(field(1))",    "field(3) > 5"};
const char* const kFormats[] = {"",       "Fixed",        "Percent",   "000.0",
                                "Yes/No", "#,##0.00;(#)", "Scientific"};
const char* const kFilters[] = {"C", "I", "N", "H", "O", "B", "X"};

struct Scenario {
    int specialBeep = 0;
    bool german = false;
    std::deque<MessageAnswer> answers;
    TargetSearch search;
    bool launchFails = false;
    bool ownWindow = false;
    DdeConversationId connectResult = 0;
    int openFailures = 0, writeFailures = 0, closeFailures = 0;
    size_t acceptBeforeFailure = 0;
    size_t chunk = 1;
};

// Plays the bytes through a fresh engine, tick by tick; returns everything it delivered.
std::string Play(const SetupGlobals& config, const Scenario& s, const uint8_t* rest,
                 size_t restSize, bool burst) {
    SetupGlobals g = config;
    RuntimeFlags flags;
    flags.SpecialBeep = s.specialBeep;
    const LocaleInfo locale = s.german ? LocaleInfo::DeDe() : LocaleInfo::EnUs();
    g.DecimalSeparator = std::string(1, locale.DecimalSeparator);
    FakeMessages messages;
    messages.answers = s.answers;
    FakeClock clock;
    FakeEngineView view;
    FakeKeystrokeTarget keys;
    keys.search = s.search;
    keys.launch = {s.launchFails, 300};
    keys.ownWindowForeground = s.ownWindow;
    FakeDdeClient dde;
    dde.connectResult = s.connectResult;
    FakeLogSink log;
    log.openFailures = s.openFailures;
    log.writeFailures = s.writeFailures;
    log.acceptBeforeFailure = s.acceptBeforeFailure;
    log.closeFailures = s.closeFailures;

    RecordEngine engine(g, flags, locale, {messages, clock, view, keys, dde, log});
    engine.Activate();
    std::string out;
    ChunkSource source;
    size_t offered = 0;
    for (int tick = 0; offered < restSize || tick < 12; ++tick) {
        const size_t size = std::min(s.chunk, restSize - offered);
        if (burst) {
            if (!flags.Suspended) {
                engine.AdvanceIdleTicks();
                offered += engine.RunBytes(rest + offered, size);
                engine.IdleCheck();
            }
        } else {
            source.data = rest + offered;
            source.size = size;
            source.pos = 0;
            engine.PollInput(source);
            offered += source.pos;
        }
        // Now and then the user acts between ticks.
        const uint8_t control = offered < restSize ? rest[offered] : 0;
        if (control == 0xF0) flags.Suspended = !flags.Suspended;
        if (control == 0xF1) engine.Reset();
        if (control == 0xF2) flags.ResumeOneRecord = true;
        if (flags.Suspended && tick % 7 == 6) flags.Suspended = false;
        // The flush of each tick, and outputs gathered so that nothing grows across ticks.
        out += g.OutputQueue + "#" + log.contents + "#" + view.recordNumber + "#";
        for (const auto& typed : keys.typed) out += typed + "#";
        for (const auto& command : dde.executed) out += command + "#";
        g.OutputQueue.clear();
        log.contents.clear();
        keys.typed.clear();
        dde.executed.clear();
        messages.shown.clear();
        messages.beepTypes.clear();
        if (tick > 100000) __builtin_trap();  // a tick that never consumes input
    }
    for (int n = 1; n < kFieldSlots; ++n) {
        if (engine.FieldData()[n].size() > 8 * restSize + 64) __builtin_trap();
        out += engine.FieldData()[n] + "/";
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    SetupGlobals g;
    ResetToDefaults(g, "/tmp");
    g.RecordStructure = static_cast<int16_t>(in.Range(0, 2));
    g.StartOfRecordEvent = static_cast<int16_t>(in.Range(0, 3));
    g.EndOfRecordEvent = static_cast<int16_t>(in.Range(0, 3));
    g.NumberOfFields = static_cast<int16_t>(in.Range(g.RecordStructure == 1 ? 2 : 1, 40));
    g.DelimiterChar = std::string(1, static_cast<char>(in.Byte()));
    g.RecordGapTicks = static_cast<int16_t>(in.Range(0, 8));
    g.RecordLength = static_cast<int16_t>(in.Range(1, 80));
    g.Mode = static_cast<int16_t>(in.Range(0, 2));
    g.StartChars = in.Text(3);
    g.EndChars = in.Text(3);
    g.RecordPreamble = in.Range(0, 1) ? "{YEAR}{day}<" : "";
    g.AckString = in.Text(2);
    g.BeepOnInput = in.Range(0, 1) ? kTrue : kFalse;
    g.TargetAppSpecified = in.Range(0, 1) ? kTrue : kFalse;
    for (int n = 1; n <= 41; ++n) {
        g.FieldLength[n] = static_cast<int16_t>(in.Range(1, 12));
        g.FieldFilter[n] = kFilters[in.Range(0, 6)];
    }
    for (int k = in.Range(0, 3); k > 0; --k) {
        const int n = in.Range(1, 40);
        g.FieldMath[n] = kMath[in.Range(0, 7)];
        g.FieldFormat[n] = kFormats[in.Range(0, 6)];
        g.FieldPostamble[n] = in.Range(0, 1) ? "{TAB}{SECOND}" : "|";
    }
    for (int k = in.Range(0, 6); k > 0; --k) {
        const int b = in.Byte();
        const int kind = in.Range(0, 3);
        g.InputTranslation[b] = kind == 0 ? "Ignore" : kind == 1 ? "Void Record" : in.Text(2);
    }
    for (int k = in.Range(0, 4); k > 0; --k) {
        const int b = in.Byte();
        g.TransferKeyTable[b] = in.Range(0, 1) ? "NUL" : "{ENTER}{+}";
        g.TransferCharTableLog[b] = static_cast<char>(in.Byte());
        g.TransferCharTableDde[b] = static_cast<char>(in.Byte());
    }

    Scenario scenario;
    scenario.specialBeep = in.Range(0, 1) * 16;
    scenario.german = in.Range(0, 1) == 1;
    for (int k = in.Range(0, 3); k > 0; --k) {
        scenario.answers.push_back(in.Range(0, 1) ? MessageAnswer::Retry : MessageAnswer::Cancel);
    }
    scenario.search = {static_cast<WindowId>(in.Range(0, 1) * 200), in.Range(0, 1) == 1};
    scenario.launchFails = in.Range(0, 1) == 1;
    scenario.ownWindow = in.Range(0, 3) == 0;
    scenario.connectResult = static_cast<DdeConversationId>(in.Range(0, 1) * 5);
    scenario.openFailures = in.Range(0, 2);
    scenario.writeFailures = in.Range(0, 2);
    scenario.acceptBeforeFailure = static_cast<size_t>(in.Range(0, 4));
    scenario.closeFailures = in.Range(0, 1);
    scenario.chunk = static_cast<size_t>(in.Range(1, 64));
    // The port path (one virtual read a byte) and the burst path must agree exactly.
    const std::string byPort = Play(g, scenario, in.Rest(), in.RestSize(), false);
    const std::string byBurst = Play(g, scenario, in.Rest(), in.RestSize(), true);
    if (byPort != byBurst) __builtin_trap();
    return 0;
}
