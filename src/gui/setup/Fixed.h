// The wizard's dialog for records of a fixed number of bytes: the record length. Kept between
// runs of the wizard and refilled each time it is shown.
#pragma once

#include <QDialog>

#include <functional>

#include "config/SetupGlobals.h"
#include "platform/Messages.h"
#include "setup/RecordWizardRules.h"

namespace quorvane {

class WizardNumericBox;

class Fixed : public QDialog {
    Q_OBJECT
  public:
    Fixed(SetupGlobals& g, Messages& messages, QWidget* parent = nullptr);

    // The box holds RecordLength.
    void Fill();
    // Called after "Continue..." stored the length and hid the dialog.
    void SetContinued(std::function<void(WizardStep)> continued) {
        continued_ = std::move(continued);
    }

  public slots:
    void Continue();

  private:
    SetupGlobals& g_;
    Messages& messages_;
    std::function<void(WizardStep)> continued_;
    WizardNumericBox* text1_ = nullptr;
};

}  // namespace quorvane
