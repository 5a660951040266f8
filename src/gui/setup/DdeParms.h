// The DDE names dialog in its three kinds: the command target of DDE Server mode, the command
// source link and the output buffer link. One form serves all three; each opening chooses the
// kind, the caption, the controls shown and their contents.
#pragma once

#include <QDialog>

#include "config/SetupGlobals.h"
#include "platform/Messages.h"
#include "setup/ModeDialogRules.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace quorvane {

class DDEParms : public QDialog {
    Q_OBJECT
  public:
    DDEParms(SetupGlobals& g, Messages& messages, QWidget* parent = nullptr);

    // Fills the form for kind (kDdeCommandTarget, kDdeCommandSource, kDdeOutputBuffer) and runs
    // it modally; true when OK stored.
    bool Edit(int kind);
    void Fill(int kind);
    int Kind() const { return kind_; }

  private:
    void OnOk();

    SetupGlobals& g_;
    [[maybe_unused]] Messages& messages_;  // the dialogs share one constructor shape
    int kind_ = kDdeCommandTarget;
    QLineEdit* app_ = nullptr;
    QLineEdit* topic_ = nullptr;
    QLabel* itemLabel_ = nullptr;
    QLineEdit* item_ = nullptr;
    QLabel* targetHelp_ = nullptr;
    QLabel* commandsHelp_ = nullptr;
    QCheckBox* linkStatus_ = nullptr;
    QCheckBox* stripCrLf_ = nullptr;
};

using DdeParms = DDEParms;

}  // namespace quorvane
