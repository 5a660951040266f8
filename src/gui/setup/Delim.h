// The wizard's dialog for delimited records: the delimiter, chosen from all 256 character
// codes, and the number of fields. The list is filled once; each showing refills the choice.
#pragma once

#include <QDialog>

#include <functional>

#include "config/SetupGlobals.h"
#include "platform/Messages.h"
#include "setup/RecordWizardRules.h"

class QTreeWidget;

namespace quorvane {

class WizardNumericBox;

class Delim : public QDialog {
    Q_OBJECT
  public:
    Delim(SetupGlobals& g, Messages& messages, QWidget* parent = nullptr);

    // The box holds NumberOfFields, the list stands on the code of DelimiterChar.
    void Fill();
    // Called after "Continue..." stored the choice and hid the dialog.
    void SetContinued(std::function<void(WizardStep)> continued) {
        continued_ = std::move(continued);
    }

  public slots:
    void Continue();

  private:
    SetupGlobals& g_;
    Messages& messages_;
    std::function<void(WizardStep)> continued_;
    QTreeWidget* delimOptions_ = nullptr;
    WizardNumericBox* text1_ = nullptr;
};

}  // namespace quorvane
