#include "gui/setup/AppSelect.h"
#include "gui/CodePageText.h"

#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/CodePage.h"
#include "gui/DialogButtons.h"
#include "gui/LocalizeForm.h"
#include "setup/ModeDialogRules.h"
#include "strings/StringIds.h"

namespace quorvane {

namespace {}  // namespace

bool ExecutableFilterProxy::Shows(const QFileInfo& file, bool showAll) {
    return showAll || file.isDir() || (file.isFile() && file.isExecutable());
}

void ExecutableFilterProxy::SetShowAll(bool showAll) {
    showAll_ = showAll;
    invalidateFilter();
}

bool ExecutableFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    if (!files) return true;
    return Shows(files->fileInfo(files->index(sourceRow, 0, sourceParent)), showAll_);
}

AppSelect::AppSelect(SetupGlobals& g, Messages& messages, QWidget* parent)
    : QDialog(parent), g_(g), messages_(messages), chooser_(&AppSelect::ChooseProgram) {
    setObjectName("AppSelect");
    SetStringId(this, kStrAppSelectTitle);
    auto* top = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    top->addLayout(grid);

    auto* nameLabel = new QLabel(this);
    SetStringId(nameLabel, kStrAppSelectTitleLabel);
    appName_ = new QLineEdit(this);
    appName_->setObjectName("AppName");
    appName_->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    nameLabel->setBuddy(appName_);
    appName_->installEventFilter(this);
    auto* cmdLabel = new QLabel(this);
    SetStringId(cmdLabel, kStrAppSelectCommandLabel);
    appCmd_ = new QLineEdit(this);
    appCmd_->setObjectName("AppCmd");
    cmdLabel->setBuddy(appCmd_);
    auto* browse = new QPushButton(this);
    browse->setObjectName("Command1");
    browse->setAutoDefault(false);
    SetStringId(browse, kStrAppSelectBrowse);
    grid->addWidget(nameLabel, 0, 0, 1, 2);
    grid->addWidget(appName_, 1, 0, 1, 2);
    grid->addWidget(cmdLabel, 2, 0, 1, 2);
    grid->addWidget(appCmd_, 3, 0);
    grid->addWidget(browse, 3, 1);

    for (const int id : {kStrAppSelectTitleHelp, kStrAppSelectEmptyHelp}) {
        auto* help = new QLabel(this);
        help->setWordWrap(true);
        SetStringId(help, id);
        top->addWidget(help);
    }

    const auto [ok, cancel] = AddOkCancelButtons(this, top, kStrAppSelectOk, kStrAppSelectCancel);

    connect(browse, &QPushButton::clicked, this, &AppSelect::OnBrowse);
    connect(ok, &QPushButton::clicked, this, &AppSelect::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    LocalizeForm(this);
}

bool AppSelect::Edit() {
    Fill();
    return exec() == QDialog::Accepted;
}

void AppSelect::Fill() {
    appName_->setText(FromCodePage(g_.TargetAppTitle));
    appCmd_->setText(FromCodePage(g_.TargetAppCommand));
    appName_->setFocus();
}

bool AppSelect::eventFilter(QObject* watched, QEvent* event) {
    if (watched == appName_ && event->type() == QEvent::FocusOut) {
        const QString trimmed = FromCodePage(TrimBlanks(ToCodePage(appName_->text())));
        if (trimmed != appName_->text()) appName_->setText(trimmed);
    }
    return QDialog::eventFilter(watched, event);
}

QString AppSelect::ChooseProgram(QWidget* parent, const QString& startPath) {
    QFileDialog dialog(parent, UiText(kStrChooseProgramTitle));
    dialog.setOption(QFileDialog::DontUseNativeDialog);  // the proxy needs Qt's own dialog
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QString programs = UiText(kStrProgramFilesFilter) + " (*)";
    dialog.setNameFilters({programs, UiText(kStrAllFilesFilter)});
    auto* proxy = new ExecutableFilterProxy(&dialog);
    dialog.setProxyModel(proxy);
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, proxy,
        [proxy, programs](const QString& filter) { proxy->SetShowAll(filter != programs); });
    const QFileInfo start(startPath);
    if (!startPath.isEmpty() && start.isAbsolute() && start.exists())
        dialog.selectFile(start.absoluteFilePath());
    else
        dialog.setDirectory("/usr/bin");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

void AppSelect::OnBrowse() {
    QString path = chooser_ ? chooser_(this, appCmd_->text()) : QString();
    if (path.isEmpty()) return;
    // The command line is split into words at blanks: a path with blanks needs its quotes.
    if (path.contains(' ')) path = '"' + path + '"';
    appCmd_->setText(path);
}

void AppSelect::OnOk() {
    StoreTargetApp(g_, ToCodePage(appName_->text()), ToCodePage(appCmd_->text()));
    accept();
}

}  // namespace quorvane
