// The wizard's dialog for records of a fixed number of bytes: the record length. Kept between
// runs of the wizard and refilled each time it is shown.
#pragma once

#include <functional>

#include "config/SetupGlobals.h"
#include "gui/setup/WizardPage.h"
#include "platform/Messages.h"
#include "setup/RecordWizardRules.h"

namespace quorvane {

class WizardNumericBox;

class Fixed : public WizardPage {
    Q_OBJECT
  public:
    Fixed(SetupGlobals& g, Messages& messages, QWidget* parent = nullptr);

    // The box holds RecordLength.
    void Fill();

  public slots:
    void Continue() override;

  private:
    WizardNumericBox* text1_ = nullptr;
};

}  // namespace quorvane
