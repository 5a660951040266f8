#include "gui/setup/Timed.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/DialogButtons.h"
#include "gui/LocalizeForm.h"
#include "gui/setup/WizardNumericBox.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

Timed::Timed(SetupGlobals& g, Messages& messages, QWidget* parent)
    : WizardPage(g, messages, parent) {
    setObjectName("Timed");
    SetStringId(this, kStrTimedTitle);
    auto* top = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    top->addLayout(grid);
    auto* label = new QLabel(this);
    SetStringId(label, kStrTimedLabel);
    clockTicks_ = new WizardNumericBox(messages_, true, this);
    clockTicks_->setObjectName("ClockTicks");
    clockTicks_->setMaximumWidth(clockTicks_->fontMetrics().averageCharWidth() * 10);
    label->setBuddy(clockTicks_);
    auto* hint = new QLabel(this);
    SetStringId(hint, kStrTimedHint);
    grid->addWidget(label, 0, 0);
    grid->addWidget(clockTicks_, 0, 1);
    grid->addWidget(hint, 1, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    const auto [ok, cancel] = AddOkCancelButtons(this, top, kStrTimedContinue, kStrTimedCancel);
    connect(ok, &QPushButton::clicked, this, &Timed::Continue);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(clockTicks_, &WizardNumericBox::digitsEdited, this,
            [this] { g_.ConfigChanged = kTrue; });
    LocalizeForm(this);
}

void Timed::Fill() {
    clockTicks_->setText(QString::number(g_.RecordGapTicks));
    clockTicks_->setFocus();
    clockTicks_->selectAll();
}

void Timed::Continue() {
    const int64_t ticks = NumericBoxValue(clockTicks_->text().toStdString());
    if (!GapTicksInRange(ticks)) {
        messages_.Beep();
        messages_.Show(LoadString(kStrGapTicksRange), LoadString(kStrInvalidInput),
                       MessageButtons::Ok, MessageIcon::None);
        clockTicks_->setFocus();
        return;
    }
    StoreGapTicks(g_, static_cast<int>(ticks));
    accept();
    Continued(WizardStep::RecStructure);
}

}  // namespace quorvane
