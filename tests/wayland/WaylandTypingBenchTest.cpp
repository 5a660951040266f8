// 10,000 mixed characters typed into foot under headless sway, by our virtual keyboard and by
// wtype in the same run, both checked byte for byte. A measurement, not a CI test: label
// bench. Our keyboard must be at least ten times faster and lose nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "SwayDesktop.h"
#include "config/CodePage.h"
#include "delivery/KeyMacroTyper.h"
#include "delivery/SendKeyMacro.h"
#include "platform/Waiter.h"
#include "platform/linux/SteadyClock.h"
#include "platform/linux/WaylandConnection.h"
#include "platform/linux/WaylandKeyInjector.h"

namespace quorvane {
namespace {

using testing::ReadWholeFile;
using testing::SwayDesktop;

class NoWaiter : public Waiter {
  public:
    void ProcessEvents(uint32_t) override {}
};

// Lines of 50 characters: letters, digits, shifted punctuation, e-acute, euro, sharp s and a
// Tab, as code-page bytes in macro notation and as the UTF-8 that must arrive.
void MixedText(size_t characters, std::string& macro, std::string& utf8, std::string& plain) {
    const std::string pool = "abcXYZ019!@#:?\xE9\x80\xDF";
    size_t n = 0;
    for (size_t i = 0; n < characters; ++i) {
        if (n % 50 == 49) {
            macro += "{ENTER}";
            utf8 += "\n";
            plain += "\n";
        } else if (n % 50 == 25) {
            macro += "{TAB}";
            utf8 += "\t";
            plain += "\t";
        } else {
            const unsigned char byte = static_cast<unsigned char>(pool[i % pool.size()]);
            std::string piece;
            AppendUtf8(piece, CodePage::ToUnicode(byte));
            macro += static_cast<char>(byte);
            utf8 += piece;
            plain += piece;
        }
        ++n;
    }
    if (!utf8.empty() && utf8.back() != '\n') {
        macro += "{ENTER}";
        utf8 += "\n";
        plain += "\n";
    }
}

TEST(WaylandTypingBench, TenThousandCharactersOursAgainstWtype) {
    for (const char* tool : {"sway", "foot", "wtype"}) {
        ASSERT_TRUE(SwayDesktop::OnPath(tool)) << tool << " is not installed";
    }
    SwayDesktop desktop;
    std::string error;
    ASSERT_TRUE(desktop.Start(error)) << error;
    auto connection = WaylandConnection::Connect(error, desktop.Socket().c_str());
    ASSERT_TRUE(connection) << error;
    WaylandKeyInjector keys(*connection);
    ASSERT_TRUE(keys.Ready());
    SteadyClock clock;
    NoWaiter waiter;
    KeyMacroTyper typer(keys, clock, waiter);
    ASSERT_TRUE(SwayDesktop::WaitFor(
        [&] {
            connection->Roundtrip();
            return keys.KeyboardAnnounced();
        },
        15000));

    const std::string out = desktop.runtime() + "/bench.txt";
    ASSERT_TRUE(desktop.StartCatTerminal("Quorvane Bench", out));
    ASSERT_TRUE(SwayDesktop::WaitFor(
        [&] {
            SendKeyMacro("ready{ENTER}", typer);
            return SwayDesktop::WaitFor(
                [&] { return ReadWholeFile(out).find("ready\n") != std::string::npos; }, 200);
        },
        15000));

    std::string macro, expected, plain;
    MixedText(10000, macro, expected, plain);
    using Clock = std::chrono::steady_clock;

    size_t offset = ReadWholeFile(out).size();
    auto start = Clock::now();
    // One macro a line, as records come.
    for (size_t at = 0; at < macro.size();) {
        const size_t end = macro.find("{ENTER}", at) + 7;
        SendKeyMacro(macro.substr(at, end - at), typer);
        at = end;
    }
    ASSERT_TRUE(SwayDesktop::WaitFor(
        [&] { return ReadWholeFile(out).size() >= offset + expected.size(); }, 60000))
        << "arrived " << ReadWholeFile(out).size() - offset << " of " << expected.size();
    const double ours = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(ReadWholeFile(out).substr(offset), expected) << "our keyboard lost or changed keys";

    offset = ReadWholeFile(out).size();
    const std::string textFile = desktop.runtime() + "/bench-input.txt";
    { std::ofstream(textFile, std::ios::binary) << plain; }
    start = Clock::now();
    ASSERT_GT(desktop.Spawn({"sh", "-c", "exec wtype - < '" + textFile + "'"}, {}), 0);
    const bool arrived = SwayDesktop::WaitFor(
        [&] { return ReadWholeFile(out).size() >= offset + expected.size(); }, 600000);
    const double theirs = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_TRUE(arrived);
    EXPECT_EQ(ReadWholeFile(out).substr(offset), expected) << "wtype lost or changed keys";

    std::printf("10000 characters: ours %.3f s (%.0f/s), wtype %.3f s (%.0f/s), ratio %.1f\n", ours,
                10000 / ours, theirs, 10000 / theirs, theirs / ours);
    EXPECT_GE(theirs / ours, 10.0);
}

}  // namespace
}  // namespace quorvane
