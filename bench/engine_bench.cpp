// Throughput of the record engine's poll tick input steps (PollInput, the loop the program
// runs) over bytes in memory: whole records to an in-memory log, and the byte loop.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/SetupGlobals.h"
#include "engine/RecordEngine.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDdeClient.h"
#include "fakes/FakeKeystrokeTarget.h"
#include "fakes/FakeMessages.h"

using namespace quorvane;

namespace {

// Keeps only what the engine reads back (the record number).
class NullView : public EngineView {
  public:
    void SetFieldText(int, const std::string&) override {}
    std::string RecordNumberText() const override { return number; }
    void SetRecordNumberText(const std::string& text) override { number = text; }
    void OnSuspendedChanged(bool) override {}
    std::string number;
};

// Counts the logged bytes instead of keeping them.
class CountingLogSink : public LogSink {
  public:
    LogStatus Open(const std::string&) override { return LogStatus::Ok(); }
    LogStatus Write(std::string_view bytes, size_t& written) override {
        written = bytes.size();
        total += bytes.size();
        return LogStatus::Ok();
    }
    LogStatus Close() override { return LogStatus::Ok(); }
    size_t total = 0;
};

// Bytes in memory handed out the way the port hands out its receive buffer: at most one
// buffer (4 KiB) a span.
class MemorySource : public ByteSource {
  public:
    static constexpr size_t kSpan = 4096;
    size_t PeekBytes(const uint8_t*& out) override {
        peeked = std::min(kSpan, size - pos);
        out = data + pos;
        return peeked;
    }
    void ConsumeBytes(size_t n) override {
        n = std::min(n, peeked);
        peeked -= n;
        pos += n;
    }
    const uint8_t* data = nullptr;
    size_t size = 0, pos = 0, peeked = 0;
};

struct Bench {
    explicit Bench(void (*configure)(SetupGlobals&)) {
        ResetToDefaults(g, "/tmp");
        g.Mode = kModeLog;
        configure(g);
        engine.Activate();
    }
    // The poll tick's input steps with all of bytes waiting, tick after tick (each takes at
    // most its budget) until everything is read; returns how many ticks it took.
    size_t Run(const std::string& bytes) {
        source.data = reinterpret_cast<const uint8_t*>(bytes.data());
        source.size = bytes.size();
        source.pos = 0;
        size_t ticks = 0;
        while (source.pos < source.size) {
            engine.PollInput(source);
            ++ticks;
        }
        return ticks;
    }
    MemorySource source;
    SetupGlobals g;
    RuntimeFlags flags;
    LocaleInfo locale = LocaleInfo::EnUs();
    FakeMessages messages;
    FakeClock clock;
    NullView view;
    FakeKeystrokeTarget keys;
    FakeDdeClient dde;
    CountingLogSink log;
    RecordEngine engine{g, flags, locale, {messages, clock, view, keys, dde, log}};
};

std::string Repeat(const std::string& record, size_t times) {
    std::string out;
    out.reserve(record.size() * times);
    for (size_t i = 0; i < times; ++i) out += record;
    return out;
}

void RecordsBenchmark(benchmark::State& state, void (*configure)(SetupGlobals&),
                      const std::string& record) {
    Bench b(configure);
    constexpr size_t kRecords = 10000;
    const std::string input = Repeat(record, kRecords);
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.Run(input));
        b.view.number.clear();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
    state.counters["records"] = benchmark::Counter(
        static_cast<double>(state.iterations() * kRecords), benchmark::Counter::kIsRate);
}

// (a) single field ended by CR, 20 bytes a record, default tables.
void BM_SingleFieldCrRecords(benchmark::State& state) {
    RecordsBenchmark(
        state, [](SetupGlobals&) {}, "  +0012.345 g ST01\r\n");
}
BENCHMARK(BM_SingleFieldCrRecords);

// (b) five comma-delimited fields, math on field 1, "Fixed" on two fields.
void BM_DelimitedMathFormatRecords(benchmark::State& state) {
    RecordsBenchmark(
        state,
        [](SetupGlobals& g) {
            g.RecordStructure = 1;
            g.NumberOfFields = 5;
            g.DelimiterChar = ",";
            g.InputTranslation['\n'] = "Ignore";
            g.FieldMath[1] = "field(1) * 2 + 1";
            g.FieldFormat[2] = "Fixed";
            g.FieldFormat[3] = "Fixed";
            for (int n = 1; n <= 5; ++n) g.FieldPostamble[n] = "\t";
        },
        "12.5,3.25,700,AB,9\r\n");
}
BENCHMARK(BM_DelimitedMathFormatRecords);

// (c) the byte loop alone: 1 MiB of one record that never ends (reset between rounds).
void BM_ByteLoop(benchmark::State& state) {
    Bench b([](SetupGlobals&) {});
    std::string input(1 << 20, '\0');
    for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<char>('0' + i % 10);
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.Run(input));
        b.engine.Reset();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_ByteLoop);

// (d) the same record byte by byte, the way a tick reading one byte at a time handles it.
void BM_HandleByte(benchmark::State& state) {
    Bench b([](SetupGlobals&) {});
    std::string input(1 << 20, '\0');
    for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<char>('0' + i % 10);
    const auto* bytes = reinterpret_cast<const uint8_t*>(input.data());
    for (auto _ : state) {
        for (size_t i = 0; i < input.size(); ++i) b.engine.HandleByte(bytes[i]);
        benchmark::DoNotOptimize(b.engine.State().InRecord);
        b.engine.Reset();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_HandleByte);

}  // namespace

BENCHMARK_MAIN();
