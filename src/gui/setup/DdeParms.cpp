#include "gui/setup/DdeParms.h"
#include "gui/CodePageText.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/CodePage.h"
#include "gui/DialogButtons.h"
#include "gui/LocalizeForm.h"
#include "strings/StringIds.h"

namespace quorvane {

namespace {

int CaptionOf(int kind) {
    switch (kind) {
        case kDdeCommandSource:
            return kStrDdeParmsCommandSourceTitle;
        case kDdeOutputBuffer:
            return kStrDdeParmsOutputBufferTitle;
        default:
            return kStrDdeParmsTargetTitle;
    }
}

}  // namespace

DDEParms::DDEParms(SetupGlobals& g, Messages& messages, QWidget* parent)
    : QDialog(parent), g_(g), messages_(messages) {
    setObjectName("DDEParms");
    SetStringId(this, kStrDdeParmsTargetTitle);
    auto* top = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    top->addLayout(form);
    const auto row = [&](const char* name, int labelId, QLabel** labelOut) {
        auto* label = new QLabel(this);
        SetStringId(label, labelId);
        auto* box = new QLineEdit(this);
        box->setObjectName(name);
        box->setMinimumWidth(fontMetrics().averageCharWidth() * 32);
        label->setBuddy(box);
        form->addRow(label, box);
        if (labelOut) *labelOut = label;
        return box;
    };
    app_ = row("DDEApp", kStrDdeParmsAppLabel, nullptr);
    topic_ = row("DDETop", kStrDdeParmsTopicLabel, nullptr);
    item_ = row("DDEItm", kStrDdeParmsItemLabel, &itemLabel_);

    linkStatus_ = new QCheckBox(this);
    linkStatus_->setObjectName("DDELinkStatus");
    SetStringId(linkStatus_, kStrDdeParmsLinkOnActivation);
    stripCrLf_ = new QCheckBox(this);
    stripCrLf_->setObjectName("StripCrLf");
    SetStringId(stripCrLf_, kStrDdeParmsStripCrLf);
    top->addWidget(linkStatus_);
    top->addWidget(stripCrLf_);
    targetHelp_ = new QLabel(this);
    commandsHelp_ = new QLabel(this);
    for (auto [label, id] : {std::pair{targetHelp_, int{kStrDdeParmsTargetHelp}},
                             std::pair{commandsHelp_, int{kStrDdeParmsCommandsHelp}}}) {
        label->setWordWrap(true);
        SetStringId(label, id);
        top->addWidget(label);
    }

    const auto [ok, cancel] = AddOkCancelButtons(this, top, kStrDdeParmsOk, kStrDdeParmsCancel);

    // A click on either box counts as an edit at once, as the menus' check marks do.
    connect(linkStatus_, &QCheckBox::clicked, this, [this] { g_.ConfigChanged = kTrue; });
    connect(stripCrLf_, &QCheckBox::clicked, this, [this] { g_.ConfigChanged = kTrue; });
    connect(ok, &QPushButton::clicked, this, &DDEParms::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    LocalizeForm(this);
}

bool DDEParms::Edit(int kind) {
    Fill(kind);
    return exec() == QDialog::Accepted;
}

void DDEParms::Fill(int kind) {
    kind_ = kind == kDdeCommandSource || kind == kDdeOutputBuffer ? kind : kDdeCommandTarget;
    g_.DdeDialogKind = static_cast<int16_t>(kind_);
    SetStringId(this, CaptionOf(kind_));
    setWindowTitle(UiText(CaptionOf(kind_)));
    const bool link = kind_ != kDdeCommandTarget;
    // Kind 0 keeps its item in the hidden box, so that OK stores it back unchanged.
    itemLabel_->setVisible(link);
    item_->setVisible(link);
    linkStatus_->setVisible(link);
    stripCrLf_->setVisible(kind_ == kDdeOutputBuffer);
    targetHelp_->setVisible(!link);
    commandsHelp_->setVisible(!link);

    const DdeDialogValues v = DdeValuesOf(g_, kind_);
    app_->setText(FromCodePage(v.App));
    topic_->setText(FromCodePage(v.Topic));
    item_->setText(FromCodePage(v.Item));
    linkStatus_->setChecked(v.LinkOnActivation);
    stripCrLf_->setChecked(v.StripCrLf);
    app_->setFocus();
    adjustSize();
}

void DDEParms::OnOk() {
    DdeDialogValues v;
    v.App = ToCodePage(app_->text());
    v.Topic = ToCodePage(topic_->text());
    v.Item = ToCodePage(item_->text());
    v.LinkOnActivation = linkStatus_->isChecked();
    v.StripCrLf = stripCrLf_->isChecked();
    StoreDdeValues(g_, kind_, v);
    accept();
}

}  // namespace quorvane
