// Feeds random bytes through the record engine under a random but valid configuration
// taken from the first input bytes, across ticks with idle checks, suspensions and resets,
// in spans of random sizes, and compares the tick's span loop with the byte-at-a-time loop.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

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

// The device side: what it has sent and the engine has not consumed. Each PeekBytes hands
// out the next of a few piece sizes, so spans end anywhere, mid-record included.
class ChunkSource : public ByteSource {
  public:
    size_t PeekBytes(const uint8_t*& data) override {
        if (pending.empty()) return 0;
        const size_t piece = pieces.empty() ? pending.size() : pieces[next++ % pieces.size()];
        peeked = std::min(pending.size(), piece);
        data = reinterpret_cast<const uint8_t*>(pending.data());
        return peeked;
    }
    void ConsumeBytes(size_t n) override {
        n = std::min(n, peeked);  // nothing after a purge
        peeked -= n;
        pending.erase(0, n);
    }
    void Purge() {
        pending.clear();
        peeked = 0;
    }
    std::string pending;
    std::vector<size_t> pieces;
    size_t next = 0, peeked = 0;
};

// What the session does around the engine: a reset after a cancelled log write purges the
// source, and now and then something happens while delivery waits (the device sends more,
// or a Reset arrives).
class SessionView : public FakeEngineView {
  public:
    void OnEngineReset() override {
        FakeEngineView::OnEngineReset();
        source->Purge();
    }
    void SetRecordNumberText(const std::string& text) override {
        FakeEngineView::SetRecordNumberText(text);
        if (inside || text.empty() || interruptEvery == 0 || ++records % interruptEvery != 0)
            return;
        inside = true;
        if (records % (2 * interruptEvery) == 0) {
            source->Purge();
            engine->Reset();
        } else {
            feed();
        }
        inside = false;
    }
    ChunkSource* source = nullptr;
    RecordEngine* engine = nullptr;
    std::function<void()> feed;
    int interruptEvery = 0, records = 0;
    bool inside = false;
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
    std::vector<size_t> pieces;
    int interruptEvery = 0;
};

// Plays the bytes through a fresh engine, tick by tick, chunk bytes arriving each tick;
// returns everything it delivered. The tick runs PollInput over spans, or the reference
// byte loop one ReadPortByte at a time.
std::string Play(const SetupGlobals& config, const Scenario& s, const uint8_t* rest,
                 size_t restSize, bool perByte) {
    SetupGlobals g = config;
    RuntimeFlags flags;
    flags.SpecialBeep = s.specialBeep;
    const LocaleInfo locale = s.german ? LocaleInfo::DeDe() : LocaleInfo::EnUs();
    g.DecimalSeparator = std::string(1, locale.DecimalSeparator);
    FakeMessages messages;
    messages.answers = s.answers;
    FakeClock clock;
    SessionView view;
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
    ChunkSource source;
    source.pieces = s.pieces;
    size_t sent = 0;
    auto feed = [&] {
        const size_t size = std::min(s.chunk, restSize - sent);
        source.pending.append(reinterpret_cast<const char*>(rest + sent), size);
        sent += size;
    };
    view.source = &source;
    view.engine = &engine;
    view.feed = feed;
    view.interruptEvery = s.interruptEvery;
    std::string out;
    for (int tick = 0; sent < restSize || !source.pending.empty() || tick < 12; ++tick) {
        feed();
        if (perByte) {
            if (!flags.Suspended) {
                engine.AdvanceIdleTicks();
                engine.RunByteLoop(source);
                engine.IdleCheck();
            }
        } else {
            engine.PollInput(source);
        }
        // Now and then the user acts between ticks.
        const uint8_t control = sent < restSize ? rest[sent] : 0;
        if (control == 0xF0) flags.Suspended = !flags.Suspended;
        if (control == 0xF1) engine.Reset();
        if (control == 0xF2) flags.ResumeOneRecord = true;
        if (control == 0xF3) source.Purge();
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
    for (int k = in.Range(0, 3); k > 0; --k)
        scenario.pieces.push_back(static_cast<size_t>(in.Range(1, 40)));
    scenario.interruptEvery = in.Range(0, 3);
    // The span loop of the tick and the byte-at-a-time reference must agree exactly.
    const std::string bySpans = Play(g, scenario, in.Rest(), in.RestSize(), false);
    const std::string byBytes = Play(g, scenario, in.Rest(), in.RestSize(), true);
    if (bySpans != byBytes) __builtin_trap();
    return 0;
}
