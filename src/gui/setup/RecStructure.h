// The wizard's dialog for the structure of the fields in a record: a single field, delimited
// fields or fixed-length fields. Kept between runs of the wizard and refilled each time.
#pragma once

#include <QDialog>

#include <functional>

#include "config/SetupGlobals.h"
#include "platform/Messages.h"
#include "setup/RecordWizardRules.h"

class QButtonGroup;

namespace quorvane {

class RecStructure : public QDialog {
    Q_OBJECT
  public:
    RecStructure(SetupGlobals& g, Messages& messages, QWidget* parent = nullptr);

    // The option of RecordStructure is chosen.
    void Fill();
    // Called after "Continue..." stored the structure and hid the dialog.
    void SetContinued(std::function<void(WizardStep)> continued) {
        continued_ = std::move(continued);
    }

  public slots:
    void Continue();

  private:
    SetupGlobals& g_;
    std::function<void(WizardStep)> continued_;
    QButtonGroup* recStrucSel_ = nullptr;
};

}  // namespace quorvane
