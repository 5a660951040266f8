// The port analyze window: what the device sends, shown as it comes (its own 50 ms poll),
// the counts of the display and its selection, test output to the device, DTR and BREAK,
// and the best guess of the record structure. It opens the port of the current settings and
// closes it (DTR and RTS lowered) when it closes; the setup window stays usable meanwhile.
#pragma once

#include <QDialog>
#include <QTimer>

#include <memory>

#include "analyzer/PortAnalyzer.h"
#include "config/SetupGlobals.h"
#include "platform/Messages.h"
#include "platform/SerialPort.h"
#include "platform/linux/SteadyClock.h"

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
    // port is the device the analyzer opens; it outlives the window.
    ComShow(SetupGlobals& g, Messages& messages, SerialPort& port, QWidget* parent);
    ~ComShow() override;

    // Opens the port with the current settings, sets the caption, places the window below the
    // top of its parent and shows it without blocking. False (the failure shown, nothing
    // else done) when the port does not open.
    bool Open();
    PortAnalyzer& Analyzer() { return analyzer_; }
    // One poll tick, as the timer runs it.
    void PollTick();
    // Quit, the close box and Escape: the poll stops, DTR and RTS go low, the port closes.
    void done(int result) override;

  signals:
    void Closed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowNewText();
    void RefreshCounts();
    void ShowPopup(QWidget* target, const QPoint& at);
    void CopyDisplay();
    void PickAsciiIntoOutput();

    SetupGlobals& g_;
    Messages& messages_;
    SteadyClock clock_;
    PortAnalyzer analyzer_;
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
};

}  // namespace quorvane
