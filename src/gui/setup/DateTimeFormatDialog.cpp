#include "gui/setup/DateTimeFormatDialog.h"
#include "gui/CodePageText.h"

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

frmDateTimeFmt::frmDateTimeFmt(SetupGlobals& g, Messages& messages, QWidget* parent)
    : QDialog(parent), g_(g), messages_(messages) {
    setObjectName("frmDateTimeFmt");
    SetStringId(this, kStrDateTimeFormatTitle);
    auto* top = new QVBoxLayout(this);
    text1_ = new QLineEdit(this);
    text1_->setObjectName("Text1");
    text1_->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    auto* example = new QLabel(this);
    SetStringId(example, kStrDateTimeFormatExample);
    top->addWidget(text1_);
    top->addWidget(example);

    const auto [ok, cancel] = AddOkCancelButtons(this, top, kStrDialogOk, kStrDialogCancel);
    connect(ok, &QPushButton::clicked, this, &frmDateTimeFmt::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    LocalizeForm(this);
}

bool frmDateTimeFmt::Edit() {
    Fill();
    return exec() == QDialog::Accepted;
}

void frmDateTimeFmt::Fill() {
    text1_->setText(FromCodePage(g_.DateTimeFormat));
    text1_->selectAll();
    text1_->setFocus();
}

void frmDateTimeFmt::OnOk() {
    StoreText(g_.DateTimeFormat, ToCodePage(text1_->text()), g_.ConfigChanged);
    accept();
}

}  // namespace quorvane
