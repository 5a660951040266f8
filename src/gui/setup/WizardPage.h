// A dialog of the record structure wizard: "Continue..." stores its settings, closes the
// dialog and tells the wizard which dialog comes next.
#pragma once

#include <QDialog>

#include <functional>

#include "config/SetupGlobals.h"
#include "platform/Messages.h"
#include "setup/RecordWizardRules.h"

namespace quorvane {

class WizardPage : public QDialog {
    Q_OBJECT
  public:
    // Called after "Continue..." stored the page's settings and closed it, with the next step.
    void SetContinued(std::function<void(WizardStep)> continued) {
        continued_ = std::move(continued);
    }

  public slots:
    virtual void Continue() = 0;

  protected:
    WizardPage(SetupGlobals& g, Messages& messages, QWidget* parent);
    void Continued(WizardStep next) {
        if (continued_) continued_(next);
    }

    SetupGlobals& g_;
    Messages& messages_;

  private:
    std::function<void(WizardStep)> continued_;
};

}  // namespace quorvane
