#include "gui/setup/RecStructure.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/DialogButtons.h"
#include "gui/LocalizeForm.h"
#include "strings/StringIds.h"

namespace quorvane {

namespace {
constexpr int kStructureOptions = 3;
}

RecStructure::RecStructure(SetupGlobals& g, Messages& messages, QWidget* parent)
    : WizardPage(g, messages, parent) {
    setObjectName("RecStructure");
    SetStringId(this, kStrRecStructureTitle);
    auto* top = new QVBoxLayout(this);
    auto* frame = new QGroupBox(this);
    SetStringId(frame, kStrRecStructureGroup);
    auto* options = new QVBoxLayout(frame);
    recStrucSel_ = new QButtonGroup(frame);
    for (int i = 0; i < kStructureOptions; ++i) {
        auto* option = new QRadioButton(frame);
        option->setObjectName(QString("RecStrucSel_%1").arg(i));
        SetStringId(option, kStrRecStructureFirstOption + i);
        recStrucSel_->addButton(option, i);
        options->addWidget(option);
    }
    top->addWidget(frame);
    const auto [ok, cancel] =
        AddOkCancelButtons(this, top, kStrRecStructureContinue, kStrRecStructureCancel);
    connect(ok, &QPushButton::clicked, this, &RecStructure::Continue);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    LocalizeForm(this);
}

void RecStructure::Fill() {
    QAbstractButton* option = recStrucSel_->button(g_.RecordStructure);
    if (!option) option = recStrucSel_->button(kSingleField);
    option->setChecked(true);
    option->setFocus();
}

void RecStructure::Continue() {
    const WizardStep next = StoreRecordStructure(g_, std::max(recStrucSel_->checkedId(), 0));
    accept();
    Continued(next);
}

}  // namespace quorvane
