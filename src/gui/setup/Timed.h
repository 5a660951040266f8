// The wizard's dialog for records ended by a pause: the least time between two records, in
// clock ticks. Kept between runs of the wizard and refilled each time it is shown.
#pragma once

#include <QDialog>

#include <functional>

#include "config/SetupGlobals.h"
#include "platform/Messages.h"
#include "setup/RecordWizardRules.h"

namespace quorvane {

class WizardNumericBox;

class Timed : public QDialog {
    Q_OBJECT
  public:
    Timed(SetupGlobals& g, Messages& messages, QWidget* parent = nullptr);

    // The box holds RecordGapTicks.
    void Fill();
    // Called after "Continue..." stored the time and hid the dialog.
    void SetContinued(std::function<void(WizardStep)> continued) {
        continued_ = std::move(continued);
    }

  public slots:
    void Continue();

  private:
    SetupGlobals& g_;
    Messages& messages_;
    std::function<void(WizardStep)> continued_;
    WizardNumericBox* clockTicks_ = nullptr;
};

}  // namespace quorvane
