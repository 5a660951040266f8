// Typing speed into xterm running `cat > FILE`: 10,000 characters of mixed letters, digits,
// punctuation and shifted characters, typed as one macro per line by our injector, then the
// same text by `xdotool type --delay 0` into the same xterm as the reference. A measurement,
// not a check: its own label (bench) that CI leaves out, run by bench/typing-bench.sh; prints
// characters per second and the ratio.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "X11TestSession.h"
#include "delivery/KeyMacroTyper.h"
#include "delivery/SendKeyMacro.h"
#include "platform/linux/SteadyClock.h"
#include "platform/linux/X11KeyInjector.h"

namespace quorvane {
namespace {

using testing::ReadFile;
using testing::SleepWaiter;
using testing::X11TestSession;
using Steady = std::chrono::steady_clock;

// Lines of 79 printable ASCII characters and a newline, from a fixed pseudo-random sequence
// weighted towards letters and digits.
std::string BenchText(size_t length) {
    static const std::string kPool =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghij0123456789"
        " .,;:-_!?@#$%^&*()+=/\\[]{}<>'\"`~|";
    std::string text;
    uint32_t state = 12345;
    while (text.size() < length) {
        if (text.size() % 80 == 79) {
            text += '\n';
            continue;
        }
        state = state * 1103515245u + 12345u;
        text += kPool[(state >> 16) % kPool.size()];
    }
    text.back() = '\n';
    return text;
}

// One line of text in macro notation, the way the default key translation table writes it.
std::string ToMacro(const std::string& line) {
    std::string macro;
    for (char c : line) {
        switch (c) {
            case '+':
            case '^':
            case '%':
            case '~':
            case '(':
            case ')':
            case '[':
            case ']':
            case '{':
            case '}':
                macro += std::string("{") + c + "}";
                break;
            case '\n':
                macro += "{ENTER}";
                break;
            default:
                macro += c;
        }
    }
    return macro;
}

double WaitForText(const std::filesystem::path& file, const std::string& expected,
                   Steady::time_point start) {
    X11TestSession::WaitFor(
        [&] {
            std::error_code error;
            auto size = std::filesystem::file_size(file, error);
            return !error && size >= expected.size();
        },
        120000);
    return std::chrono::duration<double>(Steady::now() - start).count();
}

TEST(KeyTypingBenchX11Test, TypingSpeedAgainstXdotool) {
    ASSERT_TRUE(X11TestSession::OnPath("Xvfb")) << "Xvfb is not installed";
    X11TestSession session;
    std::string error;
    ASSERT_TRUE(session.Start(error)) << error;

    const auto dir = std::filesystem::temp_directory_path() /
                     ("quorvane-keys-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto ours = dir / "ours", reference = dir / "xdotool", textFile = dir / "text";
    const std::string text = BenchText(10000);
    std::ofstream(textFile, std::ios::binary) << text;
    const std::string script = "touch '" + (dir / "r1").string() + "'; cat > '" + ours.string() +
                               "'; touch '" + (dir / "r2").string() + "'; exec cat > '" +
                               reference.string() + "'";
    ASSERT_GT(session.Spawn(
                  {"xterm", "-fa", "Monospace", "-T", "quorvane-bench", "-e", "sh", "-c", script},
                  {"LC_ALL=C.UTF-8"}),
              0);
    ASSERT_TRUE(
        X11TestSession::WaitFor([&] { return std::filesystem::exists(dir / "r1"); }, 15000));
    Window window = 0;
    ASSERT_TRUE(X11TestSession::WaitFor(
        [&] { return (window = session.FindWindow("quorvane-bench")) != 0; }, 15000));
    ASSERT_TRUE(session.Focus(window));

    Display* display = XOpenDisplay(session.name().c_str());
    ASSERT_NE(display, nullptr);
    SteadyClock clock;
    SleepWaiter waiter;
    {
        X11KeyInjector keys(display);
        KeyMacroTyper typer(keys, clock, waiter);
        std::vector<std::string> macros;
        for (size_t at = 0; at < text.size(); at += 80)
            macros.push_back(ToMacro(text.substr(at, 80)));

        const auto start = Steady::now();
        for (const std::string& macro : macros) SendKeyMacro(macro, typer);
        const double sent = std::chrono::duration<double>(Steady::now() - start).count();
        const double oursSeconds = WaitForText(ours, text, start);
        const std::string oursText = ReadFile(ours);
        EXPECT_EQ(oursText.size(), text.size());
        EXPECT_TRUE(oursText == text) << "our typing lost or reordered characters";

        SendKeyMacro("^d", typer);  // end of file: cat ends, the next one starts
        ASSERT_TRUE(
            X11TestSession::WaitFor([&] { return std::filesystem::exists(dir / "r2"); }, 15000));
        const auto referenceStart = Steady::now();
        const pid_t xdotool =
            session.Spawn({"xdotool", "type", "--delay", "0", "--file", textFile.string()}, {});
        ASSERT_GT(xdotool, 0);
        const double referenceSeconds = WaitForText(reference, text, referenceStart);
        const std::string referenceText = ReadFile(reference);
        const size_t same = referenceText == text ? text.size() : 0;

        const double oursRate = text.size() / oursSeconds;
        const double referenceRate = text.size() / referenceSeconds;
        std::printf("typing %zu characters into xterm:\n", text.size());
        std::printf("  quorvane: %8.0f chars/s (%.3f s; events sent in %.3f s), %s\n", oursRate,
                    oursSeconds, sent, oursText == text ? "nothing lost" : "LOSS");
        std::printf("  xdotool:  %8.0f chars/s (%.3f s), %s\n", referenceRate, referenceSeconds,
                    same ? "nothing lost" : "LOSS");
        std::printf("  ratio quorvane / xdotool: %.2f\n", oursRate / referenceRate);
        EXPECT_GT(oursRate, referenceRate);
    }
    XCloseDisplay(display);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

}  // namespace
}  // namespace quorvane
