// The wizard's dialog for delimited records: the delimiter, chosen from all 256 character
// codes, and the number of fields. The list is filled once; each showing refills the choice.
#pragma once

#include <functional>

#include "config/SetupGlobals.h"
#include "gui/setup/WizardPage.h"
#include "platform/Messages.h"
#include "setup/RecordWizardRules.h"

class QTreeWidget;

namespace quorvane {

class WizardNumericBox;

class Delim : public WizardPage {
    Q_OBJECT
  public:
    Delim(SetupGlobals& g, Messages& messages, QWidget* parent = nullptr);

    // The box holds NumberOfFields, the list stands on the code of DelimiterChar.
    void Fill();

  public slots:
    void Continue() override;

  private:
    QTreeWidget* delimOptions_ = nullptr;
    WizardNumericBox* text1_ = nullptr;
};

}  // namespace quorvane
