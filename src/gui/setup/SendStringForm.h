// The output string editor: the acknowledgement string, the timed output and the twenty
// button strings with their captions. The three string boxes write their settings with every
// edit; the interval and the timer options are stored when the editor closes.
#pragma once

#include <QDialog>

#include <string>

#include "config/SetupGlobals.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvane {

class AsciiChart;
class ControlTextPlainEdit;
class Messages;

class SendStringForm : public QDialog {
  public:
    SendStringForm(SetupGlobals& g, Messages& messages, AsciiChart& chart,
                   QWidget* parent = nullptr);

    // Fills the boxes from the settings with string 1 chosen.
    void Fill();
    // Fills and shows the editor modally, centred over over (may be null).
    void Edit(QWidget* over = nullptr);

    int SelectedString() const { return selected_; }
    // Chooses button string n (1..20) as a choice in the String Name list does.
    void SelectString(int n);

    // "OK", Escape and the close box alike: the interval is checked, then the interval and
    // the timer options are stored and the editor hides; a bad interval keeps it open.
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnDone();
    void StoreBox(ControlTextPlainEdit* box);
    void StoreCaption();
    void RestoreName();
    void ShowTimerString();
    void OnFocusChanged(QWidget* now);
    std::string& SettingOf(ControlTextPlainEdit* box);

    SetupGlobals& g_;
    Messages& messages_;
    AsciiChart& chart_;
    int selected_ = 1;
    bool filling_ = false;
    ControlTextPlainEdit* target_ = nullptr;  // the box the chart's pick goes into

    ControlTextPlainEdit* ack_ = nullptr;
    QLineEdit* interval_ = nullptr;
    QCheckBox* timerOn_ = nullptr;
    QButtonGroup* action_ = nullptr;
    QLabel* timerLabel_ = nullptr;
    ControlTextPlainEdit* timerString_ = nullptr;
    QComboBox* names_ = nullptr;
    QLineEdit* caption_ = nullptr;
    ControlTextPlainEdit* text_ = nullptr;
    QPushButton* chartButton_ = nullptr;
    QPushButton* done_ = nullptr;
};

// The editor of the process, made on first use and kept hidden between openings.
void ShowOutputStringEditor(SetupGlobals& g, Messages& messages, QWidget* parent);

}  // namespace quorvane
