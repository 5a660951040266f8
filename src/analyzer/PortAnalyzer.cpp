#include "analyzer/PortAnalyzer.h"

#include "config/ConfigLayout.h"
#include "serial/PortDriver.h"
#include "setup/PortSetupRules.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

std::string AnalyzerShownText(uint8_t byte, bool translate,
                              const std::array<std::string, 256>& translation) {
    if (!translate) return std::string(1, byte == 0 ? kShownNul : static_cast<char>(byte));
    const std::string& t = translation[byte];
    if (t == kTranslationIgnore) return {};
    if (t == kTranslationVoidRecord) return std::string(1, static_cast<char>(byte));
    if (t.size() == 1 && t[0] == '\0') return std::string(1, kShownNul);
    return t;
}

std::string AnalyzerCaption(const SetupGlobals& g) {
    const PortSetupChoice shown = PortSetupChoiceFrom(g);
    return LoadString(kStrAnalyzerTitle) + " - " + ConnectorName(shown.PortIndex) + ":" +
           kBaudCaptions[shown.BaudRateIndex] + "," +
           LoadString(kFirstParityStringId + shown.Parity) + "," +
           kDataBitsCaptions[shown.DataBitsIndex] + "," + kStopBitsCaptions[shown.StopBits];
}

PortAnalyzer::PortAnalyzer(SetupGlobals& g, SerialPort& port, Clock& clock)
    : g_(g), port_(port), clock_(clock) {}

bool PortAnalyzer::Open(Messages& messages) {
    breakTicksLeft_ = 0;
    lastModemStatus_ = 0;
    return OpenPort(g_, port_, messages);
}

void PortAnalyzer::Close() {
    if (breakTicksLeft_ > 0) port_.EndBreak();
    breakTicksLeft_ = 0;
    ClosePort(port_);
}

bool PortAnalyzer::Send(std::string_view bytes) {
    return AppendWithinOutputLimit(g_.OutputQueue, bytes);
}

void PortAnalyzer::Break() {
    port_.StartBreak();
    breakTicksLeft_ = kAnalyzerBreakTicks;
}

void PortAnalyzer::PulseDtr() {
    quorvane::PulseDtr(port_, clock_);
}

bool PortAnalyzer::Tick() {
    if (!port_.IsOpen()) return false;
    // Opto-RS: the device is asked for a reading each time DSR comes on (alone).
    if (g_.FlowControl == 3) {
        const uint32_t status = port_.ReadModemStatus();
        if (status == kModemDsr && lastModemStatus_ != kModemDsr)
            AppendWithinOutputLimit(g_.OutputQueue, "?\r");
        lastModemStatus_ = status == kModemDsr ? kModemDsr : 0;
    }
    if (breakTicksLeft_ > 0 && --breakTicksLeft_ == 0) port_.EndBreak();
    FlushOutputQueue(g_, port_);

    // Every byte the driver holds, in one pass.
    const size_t before = display_.Text().size();
    const uint64_t droppedBefore = display_.Dropped();
    const uint8_t* data = nullptr;
    std::string shown;
    for (size_t n = port_.PeekBytes(data); n > 0; n = port_.PeekBytes(data)) {
        shown.clear();
        for (size_t i = 0; i < n; ++i)
            shown += AnalyzerShownText(data[i], translate_, g_.InputTranslation);
        port_.ConsumeBytes(n);
        display_.Append(shown);
    }
    return display_.Text().size() != before || display_.Dropped() != droppedBefore;
}

void AnalyzerDisplay::Append(std::string_view text) {
    text_.append(text);
    if (text_.size() <= kAnalyzerDisplayLimit) return;
    const size_t excess = text_.size() - kAnalyzerDisplayLimit;
    const size_t cr = text_.find('\r', excess);
    const bool nearCr =
        cr != std::string::npos && cr - excess < kAnalyzerRecordSearch && cr + 1 < text_.size();
    const size_t cut = nearCr ? cr + 1 : excess;
    text_.erase(0, cut);
    dropped_ += cut;
}

}  // namespace quorvane
