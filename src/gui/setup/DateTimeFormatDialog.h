// "Enter Format Expression for Date/Time Display": the format of the runtime window's clock.
// The expression is the field formats' language and is not checked here.
#pragma once

#include <QDialog>

#include "config/SetupGlobals.h"
#include "platform/Messages.h"

class QLineEdit;

namespace quorvane {

class frmDateTimeFmt : public QDialog {
    Q_OBJECT
  public:
    frmDateTimeFmt(SetupGlobals& g, Messages& messages, QWidget* parent = nullptr);

    // Fills the box from DateTimeFormat and runs modally; true when OK was pressed.
    bool Edit();
    void Fill();

  private:
    void OnOk();

    SetupGlobals& g_;
    [[maybe_unused]] Messages& messages_;  // the dialogs share one constructor shape
    QLineEdit* text1_ = nullptr;
};

using DateTimeFormatDialog = frmDateTimeFmt;

}  // namespace quorvane
