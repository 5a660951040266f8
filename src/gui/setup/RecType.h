// The first dialog of the record structure wizard: what starts and what ends a record, with
// the special characters of the "Special Char Received:" events. It is made afresh for every
// run of the wizard.
#pragma once

#include <functional>

#include "config/SetupGlobals.h"
#include "gui/setup/WizardPage.h"
#include "platform/Messages.h"
#include "setup/RecordWizardRules.h"

class QButtonGroup;
class QPushButton;
class QRadioButton;

namespace quorvane {

class AsciiChart;
class ControlTextLineEdit;

class RecType : public WizardPage {
    Q_OBJECT
  public:
    // chart: the ASCII chart to pick from; null means AsciiChart::Shared(g).
    RecType(SetupGlobals& g, Messages& messages, AsciiChart* chart = nullptr,
            QWidget* parent = nullptr);

  public slots:
    void Continue() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Fill();
    void OnFocusChanged(QWidget* now);
    void EnterBox(ControlTextLineEdit* box);

    AsciiChart* chart_;

    QButtonGroup* startOfRec_ = nullptr;
    QButtonGroup* recTypeSel_ = nullptr;
    ControlTextLineEdit* text1_ = nullptr;
    ControlTextLineEdit* text2_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* continue_ = nullptr;
    QPushButton* cancel_ = nullptr;
    ControlTextLineEdit* target_ = nullptr;  // the box that had the focus last
};

}  // namespace quorvane
