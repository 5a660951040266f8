// The port analyzer without its window: the port it opens and closes, its own poll tick
// (the Opto-RS request on each DSR rise, the BREAK countdown, the output flush, the drain of
// every received byte into the display text) and the display text itself, bounded.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/SetupGlobals.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/SerialPort.h"

namespace quorvane {

// The display holds at most this many characters (1 MiB). Past it the oldest text goes, up to
// and including the first CR within kAnalyzerRecordSearch characters beyond the excess, so
// that what the best guess reads still starts at a record; without such a CR the cut is
// exact.
inline constexpr size_t kAnalyzerDisplayLimit = 1 << 20;
inline constexpr size_t kAnalyzerRecordSearch = 32767;
inline constexpr int kAnalyzerBreakTicks = 2;
inline constexpr char kShownNul = static_cast<char>(255);

// What the display shows for a received byte: the byte itself (NUL as character 255), or with
// the pre-input translation on, its translation (NUL as 255, "Ignore" nothing, "Void Record"
// the byte itself).
std::string AnalyzerShownText(uint8_t byte, bool translate,
                              const std::array<std::string, 256>& translation);

// The text of the analyzer's display, and of the virtual device's: code-page bytes, bounded
// by kAnalyzerDisplayLimit as said above, with the count of characters the bound has dropped
// from its front.
class AnalyzerDisplay {
  public:
    void Append(std::string_view text);
    void Clear() { text_.clear(); }
    const std::string& Text() const { return text_; }
    uint64_t Dropped() const { return dropped_; }

  private:
    std::string text_;
    uint64_t dropped_ = 0;
};

// The analyzer's caption: "Port Analyze - " + the connector + ":" + the captions of the baud
// rate, parity, data bits and stop bits the port dialog shows, joined by ","; for example
// "Port Analyze - COM1:9600,Even,7,1".
std::string AnalyzerCaption(const SetupGlobals& g);

class PortAnalyzer {
  public:
    // Every reference must outlive this object.
    PortAnalyzer(SetupGlobals& g, SerialPort& port, Clock& clock);

    // Opens the port with the current settings; false (the failure shown) when it cannot.
    bool Open(Messages& messages);
    // Lowers DTR and RTS and closes the port; the display keeps its text.
    void Close();
    bool IsOpen() const { return port_.IsOpen(); }

    // The Send button: the output box's bytes go at the next tick; an empty box adds nothing.
    // False when the output queue has no room for them.
    bool Send(std::string_view bytes);
    // BREAK on; it ends kAnalyzerBreakTicks ticks after the last press.
    void Break();
    void PulseDtr();  // DTR low for 155 ms, then high
    void ClearDisplay() { display_.Clear(); }
    void SetTranslate(bool on) { translate_ = on; }
    bool Translate() const { return translate_; }

    // One poll tick. Returns true when the display changed.
    bool Tick();

    // The display text (code-page bytes, NUL as character 255), and how many characters the
    // bound has dropped from its front since the window opened.
    const std::string& Display() const { return display_.Text(); }
    uint64_t DroppedCharacters() const { return display_.Dropped(); }
    const AnalyzerDisplay& Shown() const { return display_; }

  private:
    SetupGlobals& g_;
    SerialPort& port_;
    Clock& clock_;
    AnalyzerDisplay display_;
    bool translate_ = false;
    int breakTicksLeft_ = 0;
    uint32_t lastModemStatus_ = 0;
};

}  // namespace quorvane
