// The program's own DDE topic: the port name, or a topic of the user's. Shown without being
// modal, so the setup window keeps working beside it.
#pragma once

#include <QDialog>

#include "config/SetupGlobals.h"
#include "platform/Messages.h"

class QLineEdit;
class QRadioButton;

namespace quorvane {

class DdeTopicDialog : public QDialog {
    Q_OBJECT
  public:
    DdeTopicDialog(SetupGlobals& g, Messages& messages, QWidget* parent = nullptr);

    // Fills from DdeTopicName and shows the dialog without blocking; OK and Cancel close it.
    void Show();
    void Fill();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnOk();
    void ChooseSpecified();

    SetupGlobals& g_;
    Messages& messages_;
    QRadioButton* option1_ = nullptr;
    QRadioButton* option2_ = nullptr;
    QLineEdit* text1_ = nullptr;
};

}  // namespace quorvane
