#include "gui/setup/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include "config/CodePage.h"
#include "config/SetupGlobals.h"
#include "gui/AboutBox.h"
#include "gui/LocalizeForm.h"
#include "gui/QuorvaneIcon.h"
#include "gui/analyzer/ComShow.h"
#include "gui/runtime/QuorvaneWindow.h"
#include "gui/setup/AppSelect.h"
#include "gui/setup/DateTimeFormatDialog.h"
#include "gui/setup/DdeParms.h"
#include "gui/setup/DdeTopicDialog.h"
#include "gui/setup/GetAKey.h"
#include "gui/setup/HotKeyFrm.h"
#include "gui/setup/PortSetup.h"
#include "gui/setup/RecordWizard.h"
#include "gui/setup/SendStringForm.h"
#include "gui/setup/TransTbl.h"
#include "platform/linux/PosixSerialPort.h"
#include "setup/FileFilters.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

QStringList Filters(int tableId) {
    QStringList list;
    for (const std::string& f : FileDialogFilters(LoadString(tableId)))
        list << QString::fromStdString(f);
    return list;
}

// The manual: installed beside the program's share folder, or in the source tree of a build.
QString ManualPath() {
    const QString bin = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {bin + "/../share/doc/quorvane/index.html", bin + "/../docs/index.html",
          QString(QUORVANE_SOURCE_DIR) + "/docs/index.html"}) {
        if (QFileInfo::exists(candidate)) return QFileInfo(candidate).canonicalFilePath();
    }
    return {};
}

}  // namespace

MainForm::MainForm(SetupGlobals& g, Messages& messages, const LocaleInfo& locale,
                   PortDeviceMap devices)
    : g_(g),
      messages_(messages),
      locale_(locale),
      devices_(std::move(devices)),
      controller_(g, messages, *this, store_, HomeDirectory()) {
    setObjectName("MainForm");
    setWindowIcon(QuorvaneIcon());
    BuildMenus();
    LocalizeForm(this);
    // Nothing but the menu bar: the window is as wide as its menus need.
    setCentralWidget(new QWidget(this));
    centralWidget()->setMinimumHeight(0);
    resize(menuBar()->sizeHint().width() + 40, menuBar()->sizeHint().height() + 40);
}

MainForm::~MainForm() = default;

QAction* MainForm::AddItem(QMenu* menu, int id, std::function<void()> act) {
    QAction* action = menu->addAction(QString::number(id));
    SetStringId(action, id);
    connect(action, &QAction::triggered, this, [act = std::move(act)] { act(); });
    return action;
}

QAction* MainForm::AddPreference(QMenu* menu, int id, Preference p) {
    QAction* action = AddItem(menu, id, [this, p] {
        controller_.TogglePreference(p);
        RefreshChecks();
    });
    action->setCheckable(true);
    preferences_.emplace_back(action, p);
    return action;
}

void MainForm::BuildMenus() {
    QMenuBar* bar = menuBar();
    auto menu = [this, bar](int id) {
        QMenu* m = bar->addMenu(QString::number(id));
        SetStringId(m, id);
        connect(m, &QMenu::aboutToShow, this, &MainForm::RefreshChecks);
        return m;
    };
    SetupController& c = controller_;

    fileMenu_ = menu(kStrMenuFile);
    AddItem(fileMenu_, kStrMenuFileNew, [&c] { c.FileNew(); })->setShortcut(QKeySequence::New);
    AddItem(fileMenu_, kStrMenuFileOpen, [&c] { c.FileOpen(); })->setShortcut(QKeySequence::Open);
    AddItem(fileMenu_, kStrMenuFileSave, [&c] { c.FileSave(); })->setShortcut(QKeySequence::Save);
    AddItem(fileMenu_, kStrMenuFileSaveAs, [&c] { c.FileSaveAs(); });
    mruTop_ = fileMenu_->addSeparator();
    for (int i = 0; i < static_cast<int>(MruList::kMaxEntries); ++i) {
        QAction* item = fileMenu_->addAction(QString());
        connect(item, &QAction::triggered, this, [&c, i] { c.OpenRecent(i); });
        item->setVisible(false);
        mruItems_.push_back(item);
    }
    mruBottom_ = fileMenu_->addSeparator();
    mruTop_->setVisible(false);
    mruBottom_->setVisible(false);
    AddItem(fileMenu_, kStrMenuFileExit, [this] { close(); });

    QMenu* mode = menu(kStrMenuMode);
    keystrokes_ = AddItem(mode, kStrMenuModeKeystrokes, [&c] { c.ChooseKeystrokes(); });
    ddeServer_ = AddItem(mode, kStrMenuModeDde, [&c] { c.ChooseDdeServer(); });
    logToDisk_ = AddItem(mode, kStrMenuModeLog, [&c] { c.ChooseLogToDisk(); });
    for (QAction* a : {keystrokes_, ddeServer_, logToDisk_}) a->setCheckable(true);

    QMenu* port = menu(kStrMenuPort);
    portSettings_ = AddItem(port, kStrMenuPortSettings, [this] { PortSettings(); });
    portAnalyze_ = AddItem(port, kStrMenuPortAnalyze, [this] { OpenAnalyzer(); });
    port->addSeparator();
    AddPreference(port, kStrPrefBeepOnInput, Preference::BeepOnInput);

    QMenu* define = menu(kStrMenuDefine);
    SetupGlobals& g = g_;
    Messages& messages = messages_;
    auto pickKeystroke = [&g](QWidget* over) { return GetAKey::Shared(g).Pick(over); };
    AddItem(define, kStrMenuRecordStructure, [this, &g, &messages, pickKeystroke] {
        RunRecordWizard(g, messages,
                        {pickKeystroke, [&g] { GetAKey::Shared(g).RemoveNulEntry(); },
                         [&g] { GetAKey::Shared(g).RestoreNulEntry(); }},
                        this);
    });
    define->addSeparator();
    AddItem(define, kStrMenuPreInput, [this, &g, &messages, pickKeystroke] {
        ShowTranslationEditor(g, messages, TranslationTable::PreInput, pickKeystroke, this);
    });
    AddItem(define, kStrMenuPreTransfer, [this, &g, &messages, pickKeystroke] {
        ShowTranslationEditor(g, messages, TranslationTable::PreTransfer, pickKeystroke, this);
    });
    define->addSeparator();
    AddItem(define, kStrMenuOutputStrings,
            [this, &g, &messages] { ShowOutputStringEditor(g, messages, this); });
    AddItem(define, kStrMenuHotKeys,
            [this, &g, &messages] { ShowHotKeyEditor(g, messages, this); });
    define->addSeparator();
    AddItem(define, kStrMenuCommandSourceLink, [this] { CommandSourceLink(); });
    AddItem(define, kStrMenuOutputBufferLink, [this] { OutputBufferLink(); });

    QMenu* activate = menu(kStrMenuActivate);
    AddItem(activate, kStrMenuActivateTest, [&c] { c.ActivateTest(); });
    AddItem(activate, kStrMenuActivateNormal, [&c] { c.ActivateNormal(); });
    AddItem(activate, kStrMenuActivateVirtual, [&c] { c.ActivateVirtual(); });
    activate->addSeparator();
    AddPreference(activate, kStrPrefActivateSuspended, Preference::ActivateSuspended);
    AddPreference(activate, kStrPrefMinimizeOnActivation, Preference::MinimizeOnActivation);
    AddPreference(activate, kStrPrefAlwaysOnTop, Preference::AlwaysOnTop);
    activate->addSeparator();
    AddPreference(activate, kStrPrefDtrButton, Preference::DtrButton);
    AddPreference(activate, kStrPrefBreakButton, Preference::BreakButton);
    AddPreference(activate, kStrPrefShowDateTime, Preference::ShowDateTime);
    activate->addSeparator();
    AddItem(activate, kStrMenuDdeTopic, [this] { DdeTopic(); });

    QMenu* help = menu(kStrMenuHelp);
    AddItem(help, kStrMenuHelpIndex, [this] { OpenManual(); })->setShortcut(Qt::Key_F1);
    help->addSeparator();
    AddItem(help, kStrMenuHelpWeb, [this] { OpenManual(); });
    help->addSeparator();
    AddItem(help, kStrMenuHelpAbout, [this] { ShowAbout(); });
}

void MainForm::RefreshChecks() {
    keystrokes_->setChecked(g_.Mode == kModeKeystrokes);
    ddeServer_->setChecked(g_.Mode == kModeDde);
    logToDisk_->setChecked(g_.Mode == kModeLog);
    for (auto& [action, p] : preferences_) action->setChecked(PreferenceChecked(g_, p));
}

void MainForm::ShowAbout() {
    AboutBox::ShowModal(this);
}

void MainForm::OpenManual() {
    const QString path = ManualPath();
    if (!path.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString MainForm::StartFolderFor(const std::string& path) const {
    // The dialogs start in the folder of the current configuration, else the home folder.
    if (!path.empty()) {
        const QFileInfo info(QString::fromStdString(path));
        if (info.dir().exists()) return info.absoluteFilePath();
    }
    return QDir::homePath();
}

std::optional<std::string> MainForm::AskOpenConfig(const std::string& start) {
    QFileDialog dialog(this, UiText(kStrOpenConfigTitle), StartFolderFor(start));
    dialog.setNameFilters(Filters(kStrConfigFilter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

std::optional<std::string> MainForm::AskSaveConfigAs(const std::string& start) {
    QFileDialog dialog(this, UiText(kStrSaveConfigTitle), StartFolderFor(start));
    dialog.setNameFilters(Filters(kStrConfigFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("qv3");
    // Replacing a file asks first: the save is the user's configuration.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

std::optional<std::string> MainForm::AskLogFile(const std::string& start) {
    QFileDialog dialog(this, UiText(kStrLogFileTitle), StartFolderFor(CodePage::ToUtf8(start)));
    dialog.setNameFilters(Filters(kStrLogFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const std::string chosen = dialog.selectedFiles().front().toStdString();
    bool lossless = true;
    const std::string bytes = CodePage::FromUtf8(chosen, &lossless);
    if (!lossless) {
        // The setting is stored in the code page: a name it cannot hold would log elsewhere.
        messages_.Beep();
        messages_.Show(LoadString(kStrLogNameNotStorable, {chosen}), LoadString(kStrInvalidInput),
                       MessageButtons::Ok, MessageIcon::Exclamation);
        return {};
    }
    return bytes;
}

void MainForm::EditTargetApp() {
    if (!appSelect_) appSelect_ = std::make_unique<AppSelect>(g_, messages_, this);
    appSelect_->Edit();
}

void MainForm::EditDdeTarget() {
    if (!ddeParms_) ddeParms_ = std::make_unique<DDEParms>(g_, messages_, this);
    ddeParms_->Edit(0);
}

void MainForm::CommandSourceLink() {
    if (!ddeParms_) ddeParms_ = std::make_unique<DDEParms>(g_, messages_, this);
    ddeParms_->Edit(1);
}

void MainForm::OutputBufferLink() {
    if (!ddeParms_) ddeParms_ = std::make_unique<DDEParms>(g_, messages_, this);
    ddeParms_->Edit(2);
}

void MainForm::EditDateTimeFormat() {
    frmDateTimeFmt dialog(g_, messages_, this);
    dialog.Edit();
}

void MainForm::DdeTopic() {
    // Not modal: the dialog deletes itself when it closes.
    auto* dialog = new DdeTopicDialog(g_, messages_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->Show();
}

void MainForm::PortSettings() {
    if (!portSetup_) portSetup_ = std::make_unique<PortSetup>(g_, messages_, devices_, this);
    portSetup_->Edit();
}

void MainForm::OpenAnalyzer() {
    if (analyzer_) return;
    analyzerPort_ = makeAnalyzerPort_
                        ? makeAnalyzerPort_()
                        : std::make_unique<PosixSerialPort>([this](const std::string& name) {
                              return devices_.DevicePathFor(name);
                          });
    analyzer_ = std::make_unique<ComShow>(g_, messages_, *analyzerPort_, this);
    if (!analyzer_->Open()) {
        analyzer_.reset();
        analyzerPort_.reset();
        return;
    }
    portSettings_->setEnabled(false);
    portAnalyze_->setEnabled(false);
    connect(analyzer_.get(), &ComShow::Closed, this, [this] {
        // The window is still in its own close handler: let it finish first.
        QTimer::singleShot(0, this, [this] { CloseAnalyzer(); });
    });
}

void MainForm::CloseAnalyzer() {
    if (!analyzer_) return;
    if (analyzer_->isVisible()) analyzer_->close();
    analyzer_.reset();
    analyzerPort_.reset();
    portSettings_->setEnabled(true);
    portAnalyze_->setEnabled(true);
}

void MainForm::ShowTitle(const std::string& title) {
    setWindowTitle(QString::fromStdString(title));
}

void MainForm::ShowMru(const std::vector<std::string>& entries) {
    for (size_t i = 0; i < mruItems_.size(); ++i) {
        const bool used = i < entries.size();
        mruItems_[i]->setVisible(used);
        // "&" in a path must not become an accelerator.
        if (used) mruItems_[i]->setText(QString::fromStdString(entries[i]).replace("&", "&&"));
    }
    mruTop_->setVisible(!entries.empty());
    mruBottom_->setVisible(!entries.empty());
}

void MainForm::SetWaitCursor(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

bool MainForm::PrepareRuntime() {
    CloseAnalyzer();  // the runtime needs the port
    const bool virtualMode = g_.RunMode == kRunVirtual;
    if (virtualMode) {
        virtualDevice_ = std::make_unique<ComShow>(g_, messages_, nullptr);
        connect(virtualDevice_.get(), &ComShow::Closed, this, [this] {
            // Closing the device window ends the activation: the runtime window goes, and
            // its end brings the setup window back.
            if (runtime_) runtime_->close();
        });
    }
    runtime_ = std::make_unique<QuorvaneWindow>(
        g_, messages_, locale_, devices_, [this] { AboutBox::ShowModal(runtime_.get()); },
        virtualMode ? &virtualDevice_->Device() : nullptr);
    if (mqtt_) runtime_->SetMqtt(&*mqtt_);
    if (virtualMode) return true;  // no port is opened
    if (!runtime_->OpenPort()) {
        runtime_.reset();
        return false;
    }
    return true;
}

void MainForm::AbandonRuntime() {
    runtime_->ClosePortHandle();
    runtime_.reset();
}

void MainForm::StartRuntime() {
    connect(runtime_.get(), &QuorvaneWindow::Unloaded, this, [this] {
        // The window is still in its own close handler: let it finish first.
        QTimer::singleShot(0, this, [this] {
            runtime_.reset();
            virtualDevice_.reset();
            if (quitting_) {
                EndProgram();
            } else {
                controller_.RuntimeClosed();
            }
        });
    });
    runtime_->Activate();
    if (virtualDevice_) virtualDevice_->ShowAsDevice(runtime_.get());
}

void MainForm::HideSetup() {
    hide();
}

void MainForm::ShowSetup() {
    show();
    raise();
    activateWindow();
}

void MainForm::UnloadSetup() {
    portSetup_.reset();
    appSelect_.reset();
    ddeParms_.reset();
    hide();
}

void MainForm::EndProgram() {
    // Also reached before the event loop runs (a start file that did not load).
    QTimer::singleShot(0, this, [this] { emit ProgramEnded(); });
}

void MainForm::QuitNow() {
    // A box waiting for an answer is answered as if cancelled: nobody is left to answer it.
    for (int open = 0; open < 16; ++open) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) break;
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }
    if (quitting_) return;
    quitting_ = true;
    if (runtime_) {
        runtime_->close();  // its end comes back through Unloaded
    } else {
        EndProgram();
    }
}

void MainForm::closeEvent(QCloseEvent* event) {
    if (controller_.CloseSetup()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace quorvane
