#include "gui/setup/DdeTopicDialog.h"
#include "gui/CodePageText.h"

#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "config/CodePage.h"
#include "gui/DialogButtons.h"
#include "gui/LocalizeForm.h"
#include "setup/ModeDialogRules.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

DdeTopicDialog::DdeTopicDialog(SetupGlobals& g, Messages& messages, QWidget* parent)
    : QDialog(parent), g_(g), messages_(messages) {
    setObjectName("DdeTopicDialog");
    setModal(false);
    SetStringId(this, kStrDdeTopicTitle);
    auto* top = new QVBoxLayout(this);
    option1_ = new QRadioButton(this);
    option1_->setObjectName("Option1");
    SetStringId(option1_, kStrDdeTopicUsePortName);
    option2_ = new QRadioButton(this);
    option2_->setObjectName("Option2");
    SetStringId(option2_, kStrDdeTopicSpecify);
    text1_ = new QLineEdit(this);
    text1_->setObjectName("Text1");
    text1_->setMinimumWidth(fontMetrics().averageCharWidth() * 32);
    top->addWidget(option1_);
    top->addWidget(option2_);
    top->addWidget(text1_);

    const auto [ok, cancel] = AddOkCancelButtons(this, top, kStrDialogOk, kStrDialogCancel);

    connect(option1_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) text1_->setEnabled(false);
    });
    connect(option2_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) text1_->setEnabled(true);
    });
    // A disabled box gets no clicks itself; they reach the dialog through this filter's
    // parent, so the dialog watches the box's area there.
    installEventFilter(this);
    text1_->installEventFilter(this);
    connect(ok, &QPushButton::clicked, this, &DdeTopicDialog::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    LocalizeForm(this);
}

void DdeTopicDialog::Show() {
    Fill();
    show();
    raise();
    activateWindow();
}

void DdeTopicDialog::Fill() {
    const bool specified = !g_.DdeTopicName.empty();
    (specified ? option2_ : option1_)->setChecked(true);
    text1_->setEnabled(specified);
    text1_->setText(FromCodePage(g_.DdeTopicName));
    (specified ? static_cast<QWidget*>(text1_) : option1_)->setFocus();
}

bool DdeTopicDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        const bool onBox =
            watched == text1_ ||
            (watched == this &&
             text1_->geometry().contains(static_cast<QMouseEvent*>(event)->position().toPoint()));
        if (onBox) ChooseSpecified();
    }
    return QDialog::eventFilter(watched, event);
}

void DdeTopicDialog::ChooseSpecified() {
    if (!option2_->isChecked()) option2_->setChecked(true);
    text1_->setFocus();
}

void DdeTopicDialog::OnOk() {
    const std::optional<std::string> topic =
        ChosenDdeTopic(option2_->isChecked(), ToCodePage(text1_->text()));
    if (!topic) {
        messages_.Beep();
        messages_.Show(LoadString(kStrDdeTopicBlank) + "\n" + LoadString(kStrDdeTopicBlankHelp),
                       LoadString(kStrDdeTopicInvalidTitle), MessageButtons::Ok, MessageIcon::None);
        text1_->setFocus();
        return;
    }
    StoreText(g_.DdeTopicName, *topic, g_.ConfigChanged);
    accept();
}

}  // namespace quorvane
