// Runs random command texts through the DDE command interpreter against a recording host,
// under a random window state taken from the first input bytes. Checks that a refused
// command leaves the output queue and the configuration name alone, and that no command
// takes bytes out of the queue.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "../tests/fakes/FakeClock.h"
#include "../tests/fakes/FakeDdeCommandHost.h"
#include "../tests/fakes/FakeMessages.h"
#include "config/ConfigFile.h"
#include "config/SetupGlobals.h"
#include "runtime/DdeCommandInterpreter.h"

using namespace quorvane;

namespace {

// Paths the file commands may name. Random paths could reach a terminal or a pipe that
// blocks, so the path of SENDFILE and CONFIG is always one of these.
struct Files {
    std::string paths[6];

    Files() {
        const auto folder = std::filesystem::temp_directory_path() / "quorvane-fuzz-commands";
        std::filesystem::create_directories(folder);
        paths[0] = (folder / "small.bin").string();
        std::ofstream(paths[0], std::ios::binary) << std::string("ab\0\xff\r\n", 6);
        paths[1] = (folder / "large.bin").string();
        std::ofstream(paths[1], std::ios::binary) << std::string(130000, 'L');
        FakeMessages messages;
        for (int port = 0; port < 2; ++port) {
            SetupGlobals file;
            ResetToDefaults(file, folder.string());
            file.PortIndex = static_cast<int16_t>(port);
            file.ConfigFileName = (folder / ("com" + std::to_string(port + 1) + ".qv3")).string();
            WriteConfigFile(file, messages);
            paths[2 + port] = file.ConfigFileName;
        }
        paths[4] = (folder / "missing").string();
        paths[5] = folder.string();
    }
};

class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    bool AtEnd() const { return pos_ >= size_; }
    // The next command: bytes up to a 0xFE separator.
    std::string Command() {
        std::string text;
        while (pos_ < size_ && data_[pos_] != 0xFE) text += static_cast<char>(data_[pos_++]);
        if (pos_ < size_) ++pos_;
        return text;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

std::string PinFilePath(const std::string& text, const Files& files, uint8_t choice) {
    const DdeCommandText command = NormaliseDdeCommand(text);
    for (const char* keyword : {"SENDFILE", "CONFIG"}) {
        if (CallArgument(command, keyword, false)) {
            return "{" + std::string(keyword) + "(" + files.paths[choice % 6] + ")}";
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Files files;
    Input in(data, size);

    SetupGlobals g;
    FakeDdeCommandHost host;
    FakeMessages messages;
    FakeClock clock;
    const LocaleInfo locale = in.Byte() & 1 ? LocaleInfo::DeDe() : LocaleInfo::EnUs();
    const uint8_t state = in.Byte();
    host.virtualInstrument = state & 1;
    host.suspended = state & 2;
    host.hasClipboard = state & 4;
    host.portIndex = (state >> 3) & 1;
    host.reloadSucceeds = state & 16;
    host.timedOutputFlags = static_cast<int16_t>(in.Byte() & 15);
    const uint8_t enabled = in.Byte();
    for (size_t i = 0; i < 6; ++i) host.itemEnabled[i] = host.nextItemEnabled[i] = enabled >> i & 1;
    g.NumberOfFields = static_cast<int16_t>(1 + in.Byte() % 40);
    g.OutputQueue.assign(static_cast<size_t>(in.Byte()) * 600, 'q');  // up to 153000 bytes
    clock.now = {1900 + in.Byte() * 40, 1 + in.Byte() % 12, 1 + in.Byte() % 28,
                 in.Byte() % 24,        in.Byte() % 60,     in.Byte() % 60};
    const char* const captions[] = {"Start", "", "DTR~", "break", "String3", "\xe9t\xe9"};
    for (size_t n = 1; n <= kStringButtons; ++n) {
        g.ButtonCaption[n] = captions[in.Byte() % 6];
        g.ButtonString[n] = std::string(in.Byte() % 4, 'b');
    }
    DdeCommandInterpreter interpreter(g, host, messages, clock, locale);

    for (int commands = 0; commands < 16 && !in.AtEnd(); ++commands) {
        const uint8_t choice = in.Byte();
        const std::string text = PinFilePath(in.Command(), files, choice);
        const std::string queueBefore = g.OutputQueue;
        const std::string nameBefore = g.ConfigFileName;
        const bool accepted = interpreter.Execute(text);
        if (g.OutputQueue.compare(0, queueBefore.size(), queueBefore) != 0) std::abort();
        if (!accepted && (g.OutputQueue != queueBefore || g.ConfigFileName != nameBefore)) {
            std::abort();
        }
    }
    return 0;
}
