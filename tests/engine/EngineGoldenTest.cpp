// Device transcripts played through the engine in Log to disk mode into a real file,
// compared byte for byte with the expected log (examples/transcripts/).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "engine/FileLogSink.h"
#include "engine/RecordEngine.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDdeClient.h"
#include "fakes/FakeEngineView.h"
#include "fakes/FakeKeystrokeTarget.h"
#include "fakes/FakeMessages.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

const fs::path kTranscripts = fs::path(QUORVANE_SOURCE_DIR) / "examples" / "transcripts";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'r')
            out += '\r';
        else if (c == 'n')
            out += '\n';
        else if (c == 't')
            out += '\t';
        else if (c == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else
            out += c;
    }
    return out;
}

struct Transcript {
    std::string name;
    std::string bytes;
    std::string expected;
    int tickBytes = 1 << 30;
    std::set<size_t> pauseAfter;
    int pauseTicks = 0;
};

// Applies NAME.setup to a File New configuration; returns false on an unknown key.
bool ApplySetup(const fs::path& file, SetupGlobals& g, Transcript& t, std::string& error) {
    std::istringstream lines(ReadAll(file));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            error = "no '=' in: " + line;
            return false;
        }
        std::string key = line.substr(0, eq);
        const std::string value = Unescape(line.substr(eq + 1));
        int index = -1;
        if (const size_t open = key.find('['); open != std::string::npos) {
            index = std::stoi(key.substr(open + 1));
            key.resize(open);
        }
        auto i16 = [&] { return static_cast<int16_t>(std::stoi(value)); };
        if (key == "RecordStructure")
            g.RecordStructure = i16();
        else if (key == "StartOfRecordEvent")
            g.StartOfRecordEvent = i16();
        else if (key == "StartChars")
            g.StartChars = value;
        else if (key == "EndOfRecordEvent")
            g.EndOfRecordEvent = i16();
        else if (key == "EndChars")
            g.EndChars = value;
        else if (key == "RecordGapTicks")
            g.RecordGapTicks = i16();
        else if (key == "RecordLength")
            g.RecordLength = i16();
        else if (key == "NumberOfFields")
            g.NumberOfFields = i16();
        else if (key == "DelimiterChar")
            g.DelimiterChar = value;
        else if (key == "RecordPreamble")
            g.RecordPreamble = value;
        else if (key == "FieldFilter")
            g.FieldFilter.at(index) = value;
        else if (key == "FieldLength")
            g.FieldLength.at(index) = i16();
        else if (key == "FieldPostamble")
            g.FieldPostamble.at(index) = value;
        else if (key == "FieldFormat")
            g.FieldFormat.at(index) = value;
        else if (key == "FieldMath")
            g.FieldMath.at(index) = value;
        else if (key == "InputTranslation")
            g.InputTranslation.at(index) = value;
        else if (key == "TransferCharTableLog")
            g.TransferCharTableLog.at(index) = value.at(0);
        else if (key == "TickBytes")
            t.tickBytes = std::stoi(value);
        else if (key == "PauseTicks")
            t.pauseTicks = std::stoi(value);
        else if (key == "PauseAfter") {
            std::istringstream list(value);
            std::string item;
            while (std::getline(list, item, ',')) t.pauseAfter.insert(std::stoul(item));
        } else {
            error = "unknown setting " + key;
            return false;
        }
    }
    return true;
}

// The device side: each tick offers at most tickBytes bytes and goes silent at a pause.
class TranscriptSource : public ByteSource {
  public:
    explicit TranscriptSource(const Transcript& t) : t_(t) {}
    size_t PeekBytes(const uint8_t*& data) override {
        if (budget_ == 0 || pos_ >= t_.bytes.size()) return 0;
        size_t end = std::min(t_.bytes.size(), pos_ + static_cast<size_t>(budget_));
        const auto pause = t_.pauseAfter.upper_bound(pos_);
        if (pause != t_.pauseAfter.end()) end = std::min(end, *pause);
        data = reinterpret_cast<const uint8_t*>(t_.bytes.data()) + pos_;
        peeked_ = end - pos_;
        return peeked_;
    }
    void ConsumeBytes(size_t n) override {
        n = std::min(n, peeked_);
        peeked_ -= n;
        pos_ += n;
        budget_ -= static_cast<int>(n);
        if (n > 0 && t_.pauseAfter.count(pos_)) {
            budget_ = 0;
            silentTicks_ = t_.pauseTicks;
        }
    }
    // Called before each tick.
    void NextTick() {
        if (silentTicks_ > 0) {
            --silentTicks_;
            budget_ = 0;
        } else {
            budget_ = t_.tickBytes;
        }
    }
    bool Done() const { return pos_ >= t_.bytes.size(); }

  private:
    const Transcript& t_;
    size_t pos_ = 0;
    size_t peeked_ = 0;
    int budget_ = 0;
    int silentTicks_ = 0;
};

std::vector<std::string> TranscriptNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kTranscripts)) {
        if (entry.path().extension() == ".setup") names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class EngineGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(EngineGolden, LogMatchesByteForByte) {
    Transcript t;
    t.name = GetParam();
    t.bytes = ReadAll(kTranscripts / (t.name + ".bytes"));
    t.expected = ReadAll(kTranscripts / (t.name + ".expected.log"));
    SetupGlobals g;
    const fs::path dir = fs::temp_directory_path() / ("quorvane-golden-" + t.name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    ResetToDefaults(g, dir.string());
    g.Mode = kModeLog;
    std::string error;
    ASSERT_TRUE(ApplySetup(kTranscripts / (t.name + ".setup"), g, t, error)) << error;

    RuntimeFlags flags;
    LocaleInfo locale = LocaleInfo::EnUs();
    FakeMessages messages;
    FakeClock clock;
    FakeEngineView view;
    FakeKeystrokeTarget keys;
    FakeDdeClient dde;
    FileLogSink sink;
    RecordEngine engine(g, flags, locale, {messages, clock, view, keys, dde, sink});
    engine.Activate();
    TranscriptSource source(t);
    int ticks = 0;
    for (int idleAfterEnd = 0; idleAfterEnd < 10 && ticks < 100000; ++ticks) {
        source.NextTick();
        engine.PollInput(source);
        if (source.Done()) ++idleAfterEnd;
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ReadAll(g.LogFileName), t.expected);
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Transcripts, EngineGolden, ::testing::ValuesIn(TranscriptNames()),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(EngineGoldenSet, CoversEveryParseMode) {
    std::set<int> modes;
    for (const std::string& name : TranscriptNames()) {
        SetupGlobals g;
        ResetToDefaults(g, "/tmp");
        Transcript t;
        std::string error;
        ASSERT_TRUE(ApplySetup(kTranscripts / (name + ".setup"), g, t, error)) << error;
        modes.insert(DeriveParseMode(g.EndOfRecordEvent, g.RecordStructure));
    }
    EXPECT_EQ(modes, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
}

}  // namespace
}  // namespace quorvane
