// The record structure wizard: RecType, then by the end event Timed, Fixed or RecStructure,
// then Delim for delimited records, and at last the record definition editor. Each
// "Continue..." stores its settings, closes its dialog and shows the next one, so the chain
// nests. RecType is made afresh for every run; the other dialogs and the editor are kept
// (hidden) between runs and refilled from the settings each time they are shown.
#pragma once

#include <QPointer>

#include <functional>

#include "config/SetupGlobals.h"
#include "gui/setup/Delim.h"
#include "gui/setup/Fixed.h"
#include "gui/setup/RecDefs.h"
#include "gui/setup/RecStructure.h"
#include "gui/setup/RecType.h"
#include "gui/setup/Timed.h"
#include "platform/Messages.h"

class QDialog;
class QWidget;

namespace quorvane {

class AsciiChart;

class RecordWizard {
  public:
    // chart: the ASCII chart of RecType and the editor; null means AsciiChart::Shared(g).
    RecordWizard(SetupGlobals& g, Messages& messages, KeystrokePickerHooks keystrokes = {},
                 AsciiChart* chart = nullptr);
    ~RecordWizard();
    RecordWizard(const RecordWizard&) = delete;
    RecordWizard& operator=(const RecordWizard&) = delete;

    void SetKeystrokePicker(KeystrokePickerHooks keystrokes);

    // Runs the chain from a fresh RecType over parent (may be null). With the default way of
    // showing, it returns when the chain has ended.
    void Run(QWidget* parent);

    // How a dialog of the chain is shown once it is filled: modally (exec) by default. Tests
    // show it without waiting and then drive it.
    using ShowDialog = std::function<void(QDialog&)>;
    void SetShowDialog(ShowDialog show) { show_ = std::move(show); }

    // The dialogs, made on first use. RecType is null outside a run.
    RecType* RecTypeDialog() { return recType_; }
    Timed& TimedDialog();
    Fixed& FixedDialog();
    RecStructure& StructureDialog();
    Delim& DelimDialog();
    RecDefs& Editor();

  private:
    void Go(WizardStep step);
    void OpenEditor();

    SetupGlobals& g_;
    Messages& messages_;
    KeystrokePickerHooks keystrokes_;
    AsciiChart* chart_;
    ShowDialog show_;
    QWidget* parent_ = nullptr;
    // Parented to the window the wizard runs over, so they can go with it; made again then.
    QPointer<RecType> recType_;
    QPointer<Timed> timed_;
    QPointer<Fixed> fixed_;
    QPointer<RecStructure> structure_;
    QPointer<Delim> delim_;
    QPointer<RecDefs> editor_;
};

// Runs the wizard from RecType to the editor over g; parent may be null. The dialogs are kept
// for the next run over the same g and messages.
void RunRecordWizard(SetupGlobals& g, Messages& messages, KeystrokePickerHooks keystrokes,
                     QWidget* parent);

}  // namespace quorvane
