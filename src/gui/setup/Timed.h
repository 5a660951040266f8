// The wizard's dialog for records ended by a pause: the least time between two records, in
// clock ticks. Kept between runs of the wizard and refilled each time it is shown.
#pragma once

#include <functional>

#include "config/SetupGlobals.h"
#include "gui/setup/WizardPage.h"
#include "platform/Messages.h"
#include "setup/RecordWizardRules.h"

namespace quorvane {

class WizardNumericBox;

class Timed : public WizardPage {
    Q_OBJECT
  public:
    Timed(SetupGlobals& g, Messages& messages, QWidget* parent = nullptr);

    // The box holds RecordGapTicks.
    void Fill();

  public slots:
    void Continue() override;

  private:
    WizardNumericBox* clockTicks_ = nullptr;
};

}  // namespace quorvane
