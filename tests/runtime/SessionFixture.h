// A runtime session wired to recording fakes that share one CallLog, with the File New
// configuration in Log to disk mode (so each delivered record shows in the log sink) and a
// clock the test moves by whole 50 ms ticks.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "config/SetupGlobals.h"
#include "engine/LocaleInfo.h"
#include "fakes/CallLog.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDdeClient.h"
#include "fakes/FakeKeystrokeTarget.h"
#include "fakes/FakeLogSink.h"
#include "fakes/FakeMessages.h"
#include "fakes/FakeRuntimeHooks.h"
#include "fakes/FakeRuntimeView.h"
#include "fakes/FakeSerialPort.h"
#include "fakes/FakeSettingsStore.h"
#include "runtime/RuntimeSession.h"

namespace quorvane {

// The fake port, with its data and line calls also in the shared log.
class LoggingSerialPort : public FakeSerialPort {
  public:
    explicit LoggingSerialPort(CallLog* log) : log_(log) {}
    size_t PeekBytes(const uint8_t*& data) override {
        log_->Add("port.PeekBytes");
        return FakeSerialPort::PeekBytes(data);
    }
    void ConsumeBytes(size_t n) override {
        log_->Add("port.ConsumeBytes(" + std::to_string(n) + ")");
        FakeSerialPort::ConsumeBytes(n);
    }
    size_t Write(std::string_view bytes) override {
        const size_t n = FakeSerialPort::Write(bytes);
        log_->Add("port.Write(" + std::string(bytes.substr(0, n)) + ")");
        return n;
    }
    uint32_t ReadModemStatus() override {
        log_->Add("port.ReadModemStatus");
        return FakeSerialPort::ReadModemStatus();
    }
    void StartBreak() override {
        log_->Add("port.StartBreak");
        FakeSerialPort::StartBreak();
    }
    void EndBreak() override {
        log_->Add("port.EndBreak");
        FakeSerialPort::EndBreak();
    }
    SerialError Reopen() override {
        log_->Add("port.Reopen");
        return FakeSerialPort::Reopen();
    }

  private:
    CallLog* log_;
};

// A clock that also moves by step on every tick read, so that a busy wait comes to an end.
class SteppingClock : public FakeClock {
  public:
    uint32_t TickCount() override {
        const uint32_t t = ticks;
        ticks += step;
        return t;
    }
    uint32_t step = 0;
};

class SessionFixture : public ::testing::Test {
  protected:
    static constexpr uint32_t kTickMs = 50;

    SessionFixture() {
        ResetToDefaults(g, "/tmp");
        g.Mode = kModeLog;
        g.LogFileName = "/tmp/session-test.log";
        g.RunMode = kRunNormal;
        g.PortName = "COM1";
        port.clock = &clock;
        clock.ticks = 100000;
    }

    // Opens the fake port as the caller of the session would, then activates.
    void Start() {
        if (g.RunMode != kRunVirtual) port.Open(g.PortName, LineRequest{});
        session = std::make_unique<RuntimeSession>(
            RuntimeServices{g, port, clock, messages, locale, keys, dde, logSink, settings,
                            ddeHooks, hotKeys, &device},
            view);
        session->Activate();
    }
    // One poll tick, the clock moved on by one timer period first.
    void Tick(const std::string& bytes = {}) {
        clock.ticks += kTickMs;
        port.Play(bytes);
        session->PollTick();
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) Tick();
    }

    CallLog log;
    SetupGlobals g;
    SteppingClock clock;
    LoggingSerialPort port{&log};
    FakeMessages messages;
    LocaleInfo locale = LocaleInfo::EnUs();
    FakeKeystrokeTarget keys{&log};
    FakeDdeClient dde{&log};
    FakeLogSink logSink{&log};
    FakeSettingsStore settings;
    FakeDdeHooks ddeHooks{&log};
    FakeHotKeyHooks hotKeys{&log};
    FakeVirtualDevice device;
    FakeRuntimeView view{&log};
    std::unique_ptr<RuntimeSession> session;
};

}  // namespace quorvane
