#include "gui/setup/Fixed.h"

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

Fixed::Fixed(SetupGlobals& g, Messages& messages, QWidget* parent)
    : WizardPage(g, messages, parent) {
    setObjectName("Fixed");
    SetStringId(this, kStrFixedTitle);
    auto* top = new QVBoxLayout(this);
    auto* explanation = new QLabel(this);
    SetStringId(explanation, kStrFixedExplanation);
    top->addWidget(explanation);
    auto* row = new QHBoxLayout;
    top->addLayout(row);
    auto* label = new QLabel(this);
    SetStringId(label, kStrFixedLengthLabel);
    text1_ = new WizardNumericBox(messages_, true, this);
    text1_->setObjectName("Text1");
    text1_->setMaximumWidth(text1_->fontMetrics().averageCharWidth() * 10);
    label->setBuddy(text1_);
    row->addWidget(label);
    row->addWidget(text1_);
    row->addStretch(1);
    const auto [ok, cancel] = AddOkCancelButtons(this, top, kStrFixedContinue, kStrFixedCancel);
    connect(ok, &QPushButton::clicked, this, &Fixed::Continue);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(text1_, &WizardNumericBox::digitsEdited, this, [this] { g_.ConfigChanged = kTrue; });
    LocalizeForm(this);
}

void Fixed::Fill() {
    text1_->setText(QString::number(g_.RecordLength));
    text1_->setFocus();
    text1_->selectAll();
}

void Fixed::Continue() {
    const int64_t length = NumericBoxValue(text1_->text().toStdString());
    if (!RecordLengthInRange(length)) {
        messages_.Beep();
        messages_.Show(LoadString(kStrRecordLengthRange), LoadString(kStrInvalidInput),
                       MessageButtons::Ok, MessageIcon::Exclamation);
        return;
    }
    StoreRecordLength(g_, static_cast<int>(length));
    accept();
    Continued(WizardStep::Editor);
}

}  // namespace quorvane
