// The port analyze window: what the device sends, shown as it comes (its own 50 ms poll),
// the counts of the display and its selection, test output to the device, DTR and BREAK,
// and the best guess of the record structure. It opens the port of the current settings and
// closes it (DTR and RTS lowered) when it closes; the setup window stays usable meanwhile.
//
// The same window plays the serial device in Virtual Instrument mode: what is sent from its
// output box becomes the input the runtime reads, and what the runtime writes to the port
// shows in its display. It then has no port and no poll of its own (the runtime's tick reads
// and writes), and no counts, translation, DTR, BREAK or analysis.
#pragma once

#include <QDialog>
#include <QTimer>

#include <memory>

#include "analyzer/PortAnalyzer.h"
#include "config/SetupGlobals.h"
#include "platform/Messages.h"
#include "platform/SerialPort.h"
#include "platform/linux/SteadyClock.h"
#include "runtime/VirtualDevice.h"

class QCheckBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace quorvane {

class ControlTextPlainEdit;

// Characters of the display as the window shows them, one for one: a CR is a line break, an
// LF after a CR an invisible zero-width space (the CR broke the line), a lone LF a line break.
// previous is the character shown before text (0 at the start).
QString AnalyzerDisplayText(std::string_view text, char previous);

class ComShow : public QDialog {
    Q_OBJECT
  public:
    // The analyzer; port is the device it opens, and outlives the window.
    ComShow(SetupGlobals& g, Messages& messages, SerialPort& port, QWidget* parent);
    // The virtual serial device.
    ComShow(SetupGlobals& g, Messages& messages, QWidget* parent);
    ~ComShow() override;

    bool IsVirtualDevice() const { return analyzer_ == nullptr; }

    // The analyzer: opens the port with the current settings, sets the caption, places the
    // window below the top of its parent and shows it without blocking. False (the failure
    // shown, nothing else done) when the port does not open.
    bool Open();
    PortAnalyzer& Analyzer() { return *analyzer_; }
    // One poll tick of the analyzer, as its timer runs it.
    void PollTick();

    // The virtual device: the byte source and sink the runtime is given.
    VirtualDevice& Device() { return device_; }
    // Shows the device window without blocking, its virtual input empty, placed beside near,
    // the runtime window.
    void ShowAsDevice(const QWidget* near);

    // Quit, the close box and Escape: the analyzer's poll stops, DTR and RTS go low, the port
    // closes; the device window closes without touching any port.
    void done(int result) override;

  signals:
    // The window closed: as the analyzer, at any close; as the virtual device, when the user
    // closed it (the runtime's own end does not signal).
    void Closed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The virtual device's side facing the runtime.
    class DeviceLink : public VirtualDevice {
      public:
        explicit DeviceLink(ComShow& window) : window_(window) {}
        void ShowOutput(const std::string& text) override;
        void Close() override;

      private:
        ComShow& window_;
    };

    void Build();
    const AnalyzerDisplay& Shown() const;
    void ClearDisplay();
    void ShowNewText();
    void RefreshCounts();
    void ShowPopup(QWidget* target, const QPoint& at);
    void CopyDisplay();
    void PickAsciiIntoOutput();

    SetupGlobals& g_;
    Messages& messages_;
    SteadyClock clock_;
    std::unique_ptr<PortAnalyzer> analyzer_;  // null for the virtual device
    AnalyzerDisplay deviceShown_;             // the virtual device's display
    DeviceLink device_{*this};
    bool closedByRuntime_ = false;
    QTimer poll_;
    size_t shownSize_ = 0;       // characters of the analyzer's display already shown
    uint64_t shownDropped_ = 0;  // the analyzer's dropped count when they were shown
    QPlainTextEdit* buffer_ = nullptr;
    ControlTextPlainEdit* output_ = nullptr;
    QLabel* byteCount_ = nullptr;
    QLabel* selStart_ = nullptr;
    QLabel* selCount_ = nullptr;
    QCheckBox* translate_ = nullptr;
    QPushButton* analyze_ = nullptr;
    QWidget* countsRow_ = nullptr;
    QPushButton* dtr_ = nullptr;
    QPushButton* break_ = nullptr;
};

}  // namespace quorvane
