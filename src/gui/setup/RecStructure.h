// The wizard's dialog for the structure of the fields in a record: a single field, delimited
// fields or fixed-length fields. Kept between runs of the wizard and refilled each time.
#pragma once

#include <functional>

#include "config/SetupGlobals.h"
#include "gui/setup/WizardPage.h"
#include "platform/Messages.h"
#include "setup/RecordWizardRules.h"

class QButtonGroup;

namespace quorvane {

class RecStructure : public WizardPage {
    Q_OBJECT
  public:
    RecStructure(SetupGlobals& g, Messages& messages, QWidget* parent = nullptr);

    // The option of RecordStructure is chosen.
    void Fill();

  public slots:
    void Continue() override;

  private:
    QButtonGroup* recStrucSel_ = nullptr;
};

}  // namespace quorvane
