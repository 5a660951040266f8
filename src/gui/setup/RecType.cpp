#include "gui/setup/RecType.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/ControlTextBox.h"
#include "gui/DialogButtons.h"
#include "gui/LocalizeForm.h"
#include "gui/setup/AsciiChart.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

constexpr int kEventOptions = 4;

// One event group: four options, the last with its special character box beside it.
QButtonGroup* AddEventGroup(QWidget* parent, QBoxLayout* into, const char* name, int titleId,
                            int firstOptionId, ControlTextLineEdit* box) {
    auto* frame = new QGroupBox(parent);
    SetStringId(frame, titleId);
    auto* grid = new QGridLayout(frame);
    auto* group = new QButtonGroup(frame);
    for (int i = 0; i < kEventOptions; ++i) {
        auto* option = new QRadioButton(frame);
        option->setObjectName(QString("%1_%2").arg(name).arg(i));
        SetStringId(option, firstOptionId + i);
        group->addButton(option, i);
        grid->addWidget(option, i, 0);
    }
    box->setParent(frame);
    box->setMinimumWidth(box->fontMetrics().averageCharWidth() * 16);
    grid->addWidget(box, kEventOptions - 1, 1);
    grid->setColumnStretch(1, 1);
    into->addWidget(frame);
    return group;
}

int Chosen(QButtonGroup* group) {
    return std::max(group->checkedId(), 0);
}

void Choose(QButtonGroup* group, int index) {
    QAbstractButton* button = group->button(index);
    (button ? button : group->button(0))->setChecked(true);
}

}  // namespace

RecType::RecType(SetupGlobals& g, Messages& messages, AsciiChart* chart, QWidget* parent)
    : WizardPage(g, messages, parent), chart_(chart) {
    setObjectName("RecType");
    SetStringId(this, kStrRecTypeTitle);
    auto* top = new QVBoxLayout(this);
    text1_ = new ControlTextLineEdit(messages_);
    text1_->setObjectName("Text1");
    startOfRec_ = AddEventGroup(this, top, "StartOfRec", kStrRecTypeStartGroup,
                                kStrRecTypeFirstStartOption, text1_);
    text2_ = new ControlTextLineEdit(messages_);
    text2_->setObjectName("Text2");
    recTypeSel_ = AddEventGroup(this, top, "RecTypeSel", kStrRecTypeEndGroup,
                                kStrRecTypeFirstEndOption, text2_);

    auto* buttons = new QHBoxLayout;
    top->addLayout(buttons);
    command1_ = new QPushButton(this);
    command1_->setObjectName("Command1");
    command1_->setAutoDefault(false);
    SetStringId(command1_, kStrRecTypeAsciiChart);
    buttons->addWidget(command1_);
    const OkCancelButtons row =
        AddOkCancelButtons(this, buttons, kStrRecTypeContinue, kStrRecTypeCancel);
    continue_ = row.Ok;
    cancel_ = row.Cancel;

    for (ControlTextLineEdit* box : {text1_, text2_}) box->installEventFilter(this);
    for (QButtonGroup* group : {startOfRec_, recTypeSel_}) {
        QAbstractButton* special = group->button(kSpecialCharEvent);
        special->installEventFilter(this);
        ControlTextLineEdit* box = group == startOfRec_ ? text1_ : text2_;
        connect(special, &QAbstractButton::clicked, this, [this, box] { EnterBox(box); });
    }
    // The shared chart is only made when it is first asked for.
    connect(command1_, &QPushButton::clicked, this, [this] {
        if (target_) PickIntoBox(chart_ ? *chart_ : AsciiChart::Shared(g_), *target_);
    });
    connect(continue_, &QPushButton::clicked, this, &RecType::Continue);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
    LocalizeForm(this);
    Fill();
}

void RecType::Fill() {
    Choose(startOfRec_, g_.StartOfRecordEvent);
    Choose(recTypeSel_, g_.EndOfRecordEvent);
    text1_->SetValue(g_.StartChars);
    text2_->SetValue(g_.EndChars);
    command1_->setEnabled(false);
    target_ = nullptr;
    startOfRec_->checkedButton()->setFocus();
}

void RecType::EnterBox(ControlTextLineEdit* box) {
    if (box->isVisible()) box->setFocus(Qt::OtherFocusReason);
}

void RecType::OnFocusChanged(QWidget* now) {
    if (now == text1_ || now == text2_) {
        Choose(now == text1_ ? startOfRec_ : recTypeSel_, kSpecialCharEvent);
        target_ = static_cast<ControlTextLineEdit*>(now);
        command1_->setEnabled(true);
        return;
    }
    const bool option =
        startOfRec_->buttons().contains(now) || recTypeSel_->buttons().contains(now);
    if (option || now == continue_ || now == cancel_) command1_->setEnabled(false);
}

bool RecType::eventFilter(QObject* watched, QEvent* event) {
    for (QButtonGroup* group : {startOfRec_, recTypeSel_}) {
        if (watched != group->button(kSpecialCharEvent) || event->type() != QEvent::FocusIn)
            continue;
        ControlTextLineEdit* box = group == startOfRec_ ? text1_ : text2_;
        // Shift+Tab out of the box must not land on its option, which would hand the focus
        // straight back: it goes on to the control before the option.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::BacktabFocusReason)
            focusNextPrevChild(false);
        else
            EnterBox(box);
        return false;
    }
    if ((watched == text1_ || watched == text2_) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        QButtonGroup* group = watched == text1_ ? startOfRec_ : recTypeSel_;
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            QAbstractButton* option = group->button(key->key() == Qt::Key_Up ? 2 : 0);
            option->setChecked(true);
            option->setFocus(Qt::OtherFocusReason);
            return true;
        }
        switch (key->key()) {
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
            case Qt::Key_Escape:
            case Qt::Key_Shift:
            case Qt::Key_Control:
            case Qt::Key_Alt:
            case Qt::Key_Meta:
                break;
            default:
                g_.ConfigChanged = kTrue;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void RecType::Continue() {
    const int start = Chosen(startOfRec_);
    const int end = Chosen(recTypeSel_);
    switch (CheckRecordEvents(start, end, text1_->Value(), text2_->Value())) {
        case RecordEventsCheck::StartCharsMissing:
            messages_.Beep();
            messages_.Show(LoadString(kStrSpecialCharMissing),
                           LoadString(kStrInvalidStartEventTitle), MessageButtons::Ok,
                           MessageIcon::Exclamation);
            text1_->setFocus();
            return;
        case RecordEventsCheck::EndCharsMissing:
            messages_.Beep();
            messages_.Show(LoadString(kStrSpecialCharMissing), LoadString(kStrInvalidEndEventTitle),
                           MessageButtons::Ok, MessageIcon::Exclamation);
            text2_->setFocus();
            return;
        case RecordEventsCheck::Ok:
            break;
    }
    const WizardStep next = StoreRecordEvents(g_, start, end, text1_->Value(), text2_->Value());
    accept();
    Continued(next);
}

}  // namespace quorvane
