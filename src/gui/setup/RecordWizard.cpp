#include "gui/setup/RecordWizard.h"

#include <QDialog>
#include <QWidget>

namespace quorvane {

namespace {

template <typename T>
T& MadeOnce(QPointer<T>& dialog, const std::function<T*()>& make) {
    if (!dialog) dialog = make();
    return *dialog;
}

}  // namespace

RecordWizard::RecordWizard(SetupGlobals& g, Messages& messages, KeystrokePickerHooks keystrokes,
                           AsciiChart* chart)
    : g_(g),
      messages_(messages),
      keystrokes_(std::move(keystrokes)),
      chart_(chart),
      show_([](QDialog& dialog) { dialog.exec(); }) {}

RecordWizard::~RecordWizard() {
    delete recType_;
    delete timed_;
    delete fixed_;
    delete structure_;
    delete delim_;
    delete editor_;
}

void RecordWizard::SetKeystrokePicker(KeystrokePickerHooks keystrokes) {
    keystrokes_ = std::move(keystrokes);
    if (editor_) editor_->SetKeystrokePicker(keystrokes_);
}

void RecordWizard::Run(QWidget* parent) {
    parent_ = parent;
    delete recType_;
    recType_ = new RecType(g_, messages_, chart_, parent_);
    recType_->SetContinued([this](WizardStep step) { Go(step); });
    show_(*recType_);
    // Closed: the next run makes a new one. (A test's non-waiting show leaves it open.)
    if (recType_ && !recType_->isVisible()) recType_->deleteLater();
}

Timed& RecordWizard::TimedDialog() {
    return MadeOnce<Timed>(timed_, [this] {
        auto* dialog = new Timed(g_, messages_, parent_);
        dialog->SetContinued([this](WizardStep step) { Go(step); });
        return dialog;
    });
}

Fixed& RecordWizard::FixedDialog() {
    return MadeOnce<Fixed>(fixed_, [this] {
        auto* dialog = new Fixed(g_, messages_, parent_);
        dialog->SetContinued([this](WizardStep) {
            Editor().ShowByteCounter(true, g_.RecordLength);
            Editor().ShowNavigation(true);
            OpenEditor();
        });
        return dialog;
    });
}

RecStructure& RecordWizard::StructureDialog() {
    return MadeOnce<RecStructure>(structure_, [this] {
        auto* dialog = new RecStructure(g_, messages_, parent_);
        dialog->SetContinued([this](WizardStep step) {
            Editor().ShowByteCounter(false);
            Editor().ShowNavigation(g_.RecordStructure != kSingleField);
            Go(step);
        });
        return dialog;
    });
}

Delim& RecordWizard::DelimDialog() {
    return MadeOnce<Delim>(delim_, [this] {
        auto* dialog = new Delim(g_, messages_, parent_);
        dialog->SetContinued([this](WizardStep step) { Go(step); });
        return dialog;
    });
}

RecDefs& RecordWizard::Editor() {
    return MadeOnce<RecDefs>(
        editor_, [this] { return new RecDefs(g_, messages_, keystrokes_, chart_, parent_); });
}

void RecordWizard::Go(WizardStep step) {
    switch (step) {
        case WizardStep::RecStructure:
            StructureDialog().Fill();
            show_(StructureDialog());
            return;
        case WizardStep::Timed:
            TimedDialog().Fill();
            show_(TimedDialog());
            return;
        case WizardStep::Fixed:
            FixedDialog().Fill();
            show_(FixedDialog());
            return;
        case WizardStep::Delim:
            DelimDialog().Fill();
            show_(DelimDialog());
            return;
        case WizardStep::Editor:
            OpenEditor();
            return;
    }
}

void RecordWizard::OpenEditor() {
    Editor().PrepareFieldEditor();
    show_(Editor());
}

void RunRecordWizard(SetupGlobals& g, Messages& messages, KeystrokePickerHooks keystrokes,
                     QWidget* parent) {
    // One wizard for the program's one configuration; the kept dialogs refer to g and
    // messages, so a different pair gets a wizard of its own.
    static RecordWizard* wizard = nullptr;
    static SetupGlobals* wizardGlobals = nullptr;
    static Messages* wizardMessages = nullptr;
    if (!wizard || wizardGlobals != &g || wizardMessages != &messages) {
        delete wizard;
        wizard = new RecordWizard(g, messages);
        wizardGlobals = &g;
        wizardMessages = &messages;
    }
    wizard->SetKeystrokePicker(std::move(keystrokes));
    wizard->Run(parent);
}

}  // namespace quorvane
