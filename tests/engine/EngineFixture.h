// A record engine wired to recording fakes, with the File New configuration in Log to disk
// mode (identity tables, nothing dropped) so that each delivered record is visible as text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/SetupGlobals.h"
#include "engine/RecordEngine.h"
#include "fakes/CallLog.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDdeClient.h"
#include "fakes/FakeEngineView.h"
#include "fakes/FakeKeystrokeTarget.h"
#include "fakes/FakeLogSink.h"
#include "fakes/FakeMessages.h"

namespace quorvane {

// Bytes waiting at the port, tick by tick: each Tick's bytes become readable together.
class ScriptedByteSource : public ByteSource {
  public:
    size_t PeekBytes(const uint8_t*& data) override {
        ++reads;
        peeked_ = waiting.size();
        if (peeked_ > 0) data = reinterpret_cast<const uint8_t*>(waiting.data());
        return peeked_;
    }
    void ConsumeBytes(size_t n) override {
        n = std::min(n, peeked_);
        peeked_ -= n;
        waiting.erase(0, n);
    }
    void Add(const std::string& bytes) { waiting += bytes; }
    std::string waiting;
    int reads = 0;

  private:
    size_t peeked_ = 0;
};

class EngineFixture : public ::testing::Test {
  protected:
    EngineFixture() {
        ResetToDefaults(g, "/tmp");
        g.Mode = kModeLog;
        g.LogFileName = "/tmp/test.log";
    }

    // Activates with the configuration set up by the test.
    void Start() { engine.Activate(); }

    // Bytes handled as one burst; returns how many were consumed.
    size_t Feed(const std::string& bytes) {
        return engine.RunBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    // One poll tick's input steps with the given bytes waiting.
    void Tick(const std::string& bytes = {}) {
        source.Add(bytes);
        engine.PollInput(source);
    }
    // As many ticks as the tick's budget needs to read bytes (and what was waiting) whole.
    void TickUntilRead(const std::string& bytes) {
        Tick(bytes);
        while (!source.waiting.empty()) Tick();
    }

    // Fields 1..n get postamble "|" so that the log shows where each field ends.
    void MarkFields(int n) {
        for (int i = 1; i <= n; ++i) g.FieldPostamble[i] = "|";
    }

    void Delimited(int fields, const std::string& delimiter) {
        g.RecordStructure = 1;
        g.NumberOfFields = static_cast<int16_t>(fields);
        g.DelimiterChar = delimiter;
        MarkFields(fields);
    }

    void FixedLength(const std::vector<int>& lengths) {
        g.RecordStructure = 2;
        g.NumberOfFields = static_cast<int16_t>(lengths.size());
        for (size_t i = 0; i < lengths.size(); ++i) {
            g.FieldLength[i + 1] = static_cast<int16_t>(lengths[i]);
        }
        MarkFields(static_cast<int>(lengths.size()));
    }

    const std::string& Logged() const { return log.contents; }

    SetupGlobals g;
    RuntimeFlags flags;
    LocaleInfo locale = LocaleInfo::EnUs();
    CallLog calls;
    FakeMessages messages;
    FakeClock clock;
    FakeEngineView view{&calls};
    FakeKeystrokeTarget keys{&calls};
    FakeDdeClient dde{&calls};
    FakeLogSink log{&calls};
    EngineServices services{messages, clock, view, keys, dde, log};
    RecordEngine engine{g, flags, locale, services};
    ScriptedByteSource source;
};

}  // namespace quorvane
