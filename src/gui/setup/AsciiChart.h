// The ASCII chart: a modal picker over all 256 byte values. The chart is made once and kept
// hidden between uses, so it opens on the entry chosen last time.
//
//   AsciiChart& chart = AsciiChart::Shared(g);
//   const std::string c = chart.Pick(this);  // one character, an extra entry's text, or ""
//
// OK (the default button, also Enter) or a double-click on an entry picks it and sets
// g.ConfigChanged; Cancel and Escape pick nothing.
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QAbstractButton;
class QPushButton;
class QTreeWidget;

namespace quorvane {

class ControlTextBox;
struct SetupGlobals;

class AsciiChart : public QDialog {
  public:
    explicit AsciiChart(SetupGlobals& g, QWidget* parent = nullptr);

    // The chart of the process, made on first use. It has no parent window (so that no
    // dialog's end takes it along) and is never rebuilt; g must outlive the program's windows.
    static AsciiChart& Shared(SetupGlobals& g);

    // Shows the chart modally over parent (may be null) and returns the pick; "" when
    // cancelled. The pick is also kept in Picked().
    std::string Pick(QWidget* parent = nullptr);
    const std::string& Picked() const { return picked_; }

    // Entries put on top of the 256 (code-page bytes, such as " Ignore"); picking one gives
    // its own text. The chosen character stays chosen when they come and go.
    void AddExtraEntries(const std::vector<std::string>& entries);
    void RemoveExtraEntries();
    int ExtraEntryCount() const { return static_cast<int>(extras_.size()); }

    // The chosen list row, extra entries counted first.
    int CurrentRow() const;
    void SetCurrentRow(int row);

    void reject() override;  // Cancel, Escape and the close box pick nothing

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Choose();
    void AddCharacterRows();
    void FitList();

    SetupGlobals* g_;  // the configuration of the last Shared() call
    QTreeWidget* list_;
    QPushButton* ok_;
    QPushButton* cancel_;
    std::vector<std::string> extras_;
    std::string picked_;
};

// Opens the chart and puts a non-empty pick into box at its selection (the box gets the
// focus back). Returns the pick.
std::string PickIntoBox(AsciiChart& chart, ControlTextBox& box);

// Makes button (an "ASCII Chart..." button) open the chart for the box target() names when it
// is clicked; target may answer null, and then the click does nothing.
void ConnectAsciiChartButton(QAbstractButton* button, AsciiChart& chart,
                             std::function<ControlTextBox*()> target);

}  // namespace quorvane
