#include "gui/setup/SendStringForm.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <functional>

#include "gui/CodePageText.h"
#include "gui/ControlTextBox.h"
#include "gui/LocalizeForm.h"
#include "gui/setup/AsciiChart.h"
#include "platform/Messages.h"
#include "setup/OutputStringRules.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

// A control-character box whose every key reports the edit at once, so that its setting
// never lags behind what the box shows.
class SettingBox : public ControlTextPlainEdit {
  public:
    SettingBox(Messages& messages, QWidget* parent, std::function<void()> edited)
        : ControlTextPlainEdit(messages, parent), edited_(std::move(edited)) {
        connect(this, &QPlainTextEdit::textChanged, this, [this] { edited_(); });
        const int lines = 2;
        setFixedHeight(fontMetrics().lineSpacing() * lines +
                       static_cast<int>(document()->documentMargin() * 2) + frameWidth() * 2);
        setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        ControlTextPlainEdit::keyPressEvent(event);
        edited_();
    }

  private:
    std::function<void()> edited_;
};

// The interval box: digits and Backspace only; any other typed character beeps.
class IntervalBox : public QLineEdit {
  public:
    IntervalBox(Messages& messages, QWidget* parent) : QLineEdit(parent), messages_(messages) {
        // Pasted text cannot bring in what typing cannot.
        setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), this));
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Escape:
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
            case Qt::Key_Delete:
                QLineEdit::keyPressEvent(event);
                return;
            default:
                break;
        }
        const QString text = event->text();
        if (!text.isEmpty() && !IntervalBoxAccepts(text.at(0).unicode())) {
            messages_.Beep();
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }

  private:
    Messages& messages_;
};

QLabel* Label(QWidget* parent, int id, QWidget* buddy) {
    auto* label = new QLabel(parent);
    SetStringId(label, id);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

SendStringForm::SendStringForm(SetupGlobals& g, Messages& messages, AsciiChart& chart,
                               QWidget* parent)
    : QDialog(parent), g_(g), messages_(messages), chart_(chart) {
    setObjectName("SendStringForm");
    SetStringId(this, kStrSendStringTitle);

    // Each box stores into its own setting; the box is known only once it exists.
    const auto settingBox = [this](const char* name, ControlTextPlainEdit** out) {
        auto* box = new SettingBox(messages_, this, [this, out] {
            if (*out) StoreBox(*out);
        });
        box->setObjectName(name);
        *out = box;
    };
    settingBox("AckString", &ack_);
    auto* ackLabel = Label(this, kStrSendStringAckLabel, ack_);

    // Timed automatic output.
    auto* timed = new QGroupBox(this);
    SetStringId(timed, kStrSendStringTimedGroup);
    interval_ = new IntervalBox(messages_, timed);
    interval_->setObjectName("Interval");
    interval_->setMaxLength(12);
    interval_->setMaximumWidth(fontMetrics().averageCharWidth() * 14);
    timerOn_ = new QCheckBox(timed);
    timerOn_->setObjectName("TimerOn");
    SetStringId(timerOn_, kStrSendStringTimerOn);
    auto* actionGroup = new QGroupBox(timed);
    actionGroup->setObjectName("Action");
    SetStringId(actionGroup, kStrSendStringActionGroup);
    action_ = new QButtonGroup(this);
    auto* actionLayout = new QVBoxLayout(actionGroup);
    const struct {
        const char* name;
        int id;
        int action;
    } actions[] = {{"ActionTransmit", kStrSendStringTransmit, kTimerTransmit},
                   {"ActionToggleDtr", kStrSendStringToggleDtr, kTimerToggleDtr},
                   {"ActionBreak", kStrSendStringBreak, kTimerBreak}};
    for (const auto& a : actions) {
        auto* option = new QRadioButton(actionGroup);
        option->setObjectName(a.name);
        SetStringId(option, a.id);
        action_->addButton(option, a.action);
        actionLayout->addWidget(option);
    }
    settingBox("TimerString", &timerString_);
    timerLabel_ = Label(timed, kStrSendStringTimerStringLabel, timerString_);
    // The rows below keep their places while the timer string is hidden.
    for (QWidget* w : {static_cast<QWidget*>(timerLabel_), static_cast<QWidget*>(timerString_)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    auto* timedLayout = new QGridLayout(timed);
    timedLayout->addWidget(Label(timed, kStrSendStringIntervalLabel, interval_), 0, 0);
    timedLayout->addWidget(interval_, 0, 1, Qt::AlignLeft);
    timedLayout->addWidget(timerOn_, 1, 0, 1, 2);
    timedLayout->addWidget(actionGroup, 0, 2, 3, 1, Qt::AlignTop);
    timedLayout->setRowStretch(2, 1);
    timedLayout->addWidget(timerLabel_, 3, 0, 1, 3);
    timedLayout->addWidget(timerString_, 4, 0, 1, 3);
    timedLayout->setColumnStretch(1, 1);

    // Button-controlled output.
    auto* buttons = new QGroupBox(this);
    SetStringId(buttons, kStrSendStringButtonGroup);
    names_ = new QComboBox(buttons);
    names_->setObjectName("StringNames");
    names_->setEditable(true);
    names_->setInsertPolicy(QComboBox::NoInsert);
    names_->setMaxVisibleItems(kStringButtons);
    for (int n = 1; n <= kStringButtons; ++n)
        names_->addItem(QString::fromStdString(StringNameEntry(n)));
    caption_ = new QLineEdit(buttons);
    caption_->setObjectName("StringControlCaption");
    settingBox("StringText", &text_);
    auto* buttonsLayout = new QGridLayout(buttons);
    buttonsLayout->addWidget(Label(buttons, kStrSendStringNameLabel, names_), 0, 0);
    buttonsLayout->addWidget(names_, 0, 1);
    buttonsLayout->addWidget(Label(buttons, kStrSendStringCaptionLabel, caption_), 1, 0);
    buttonsLayout->addWidget(caption_, 1, 1);
    buttonsLayout->addWidget(Label(buttons, kStrSendStringTextLabel, text_), 2, 0, 1, 2);
    buttonsLayout->addWidget(text_, 3, 0, 1, 2);
    buttonsLayout->setColumnStretch(1, 1);

    chartButton_ = new QPushButton(this);
    chartButton_->setObjectName("AsciiChartButton");
    SetStringId(chartButton_, kStrSendStringAsciiChart);
    chartButton_->setAutoDefault(false);
    chartButton_->setEnabled(false);
    done_ = new QPushButton(this);
    done_->setObjectName("DoneButton");
    SetStringId(done_, kStrSendStringOk);
    done_->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addWidget(chartButton_);
    row->addStretch();
    row->addWidget(done_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ackLabel);
    layout->addWidget(ack_);
    layout->addWidget(timed);
    layout->addWidget(buttons);
    layout->addLayout(row);

    setTabOrder(ack_, interval_);
    setTabOrder(interval_, timerOn_);
    setTabOrder(timerOn_, action_->button(kTimerTransmit));
    setTabOrder(action_->button(kTimerTransmit), action_->button(kTimerToggleDtr));
    setTabOrder(action_->button(kTimerToggleDtr), action_->button(kTimerBreak));
    setTabOrder(action_->button(kTimerBreak), timerString_);
    setTabOrder(timerString_, names_);
    setTabOrder(names_, caption_);
    setTabOrder(caption_, text_);
    setTabOrder(text_, chartButton_);
    setTabOrder(chartButton_, done_);

    connect(action_, &QButtonGroup::idToggled, this, [this] { ShowTimerString(); });
    connect(timerOn_, &QCheckBox::clicked, this, [this] { g_.ConfigChanged = kTrue; });
    connect(names_, &QComboBox::activated, this, [this](int index) {
        StoreCaption();
        SelectString(index + 1);
    });
    ConnectAsciiChartButton(chartButton_, chart_, [this]() -> ControlTextBox* { return target_; });
    connect(done_, &QPushButton::clicked, this, &SendStringForm::OnDone);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
    caption_->installEventFilter(this);
    names_->installEventFilter(this);
    if (names_->lineEdit()) names_->lineEdit()->installEventFilter(this);

    LocalizeForm(this);
    Fill();
}

void SendStringForm::Fill() {
    filling_ = true;
    ack_->SetValue(g_.AckString);
    timerString_->SetValue(g_.TimerString);
    interval_->setText(QString::number(g_.TimerInterval));
    timerOn_->setChecked(TimerEnabledOnActivation(g_.TimerOptions));
    action_->button(TimerActionOf(g_.TimerOptions))->setChecked(true);
    ShowTimerString();
    filling_ = false;
    SelectString(1);
    ack_->setFocus();
}

void SendStringForm::Edit(QWidget* over) {
    setWindowModality(Qt::ApplicationModal);
    Fill();
    adjustSize();
    if (over) move(over->window()->frameGeometry().center() - rect().center());
    exec();
}

void SendStringForm::SelectString(int n) {
    if (n < 1 || n > kStringButtons) return;
    selected_ = n;
    filling_ = true;
    names_->setCurrentIndex(n - 1);
    text_->SetValue(g_.ButtonString[n]);
    caption_->setText(FromCodePage(g_.ButtonCaption[n]));
    filling_ = false;
}

std::string& SendStringForm::SettingOf(ControlTextPlainEdit* box) {
    if (box == ack_) return g_.AckString;
    if (box == timerString_) return g_.TimerString;
    return g_.ButtonString[selected_];
}

void SendStringForm::StoreBox(ControlTextPlainEdit* box) {
    if (filling_) return;
    std::string& setting = SettingOf(box);
    if (setting == box->Value()) return;
    setting = box->Value();
    g_.ConfigChanged = kTrue;
}

void SendStringForm::StoreCaption() {
    const std::string caption = ToCodePage(caption_->text());
    if (caption == g_.ButtonCaption[selected_]) return;
    g_.ButtonCaption[selected_] = caption;
    g_.ConfigChanged = kTrue;
}

void SendStringForm::RestoreName() {
    // The list names are the user's own labels for the strings: typing renames the entry.
    const QString typed = names_->currentText();
    names_->setItemText(selected_ - 1, typed);
    names_->setCurrentIndex(selected_ - 1);
}

void SendStringForm::ShowTimerString() {
    const bool transmit = action_->checkedId() == kTimerTransmit;
    timerLabel_->setVisible(transmit);
    timerString_->setVisible(transmit);
}

void SendStringForm::OnFocusChanged(QWidget* now) {
    if (!now || now == chartButton_ || !isAncestorOf(now)) return;
    for (ControlTextPlainEdit* box : {ack_, timerString_, text_}) {
        if (now == box) {
            target_ = box;
            chartButton_->setEnabled(true);
            return;
        }
    }
    chartButton_->setEnabled(false);
}

bool SendStringForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (watched == caption_) {
            StoreCaption();
        } else if (reason != Qt::PopupFocusReason) {
            RestoreName();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SendStringForm::OnDone() {
    StoreCaption();
    RestoreName();
    const std::optional<int32_t> interval = TimerIntervalOf(ToCodePage(interval_->text()));
    if (!interval) {
        messages_.Show(LoadString(kStrSendStringIntervalTooLong), LoadString(kStrQuorvaneTitle),
                       MessageButtons::Ok, MessageIcon::None);
        interval_->setFocus();
        interval_->selectAll();
        return;
    }
    // A changed action counts as an edit too, or leaving would not ask to save it.
    const int16_t options = TimerOptionsOf(timerOn_->isChecked(), action_->checkedId());
    if (*interval != g_.TimerInterval || options != g_.TimerOptions) g_.ConfigChanged = kTrue;
    g_.TimerInterval = *interval;
    g_.TimerOptions = options;
    accept();
}

void SendStringForm::reject() {
    OnDone();
}

void ShowOutputStringEditor(SetupGlobals& g, Messages& messages, QWidget* parent) {
    static SetupGlobals* shownFor = nullptr;
    static Messages* shownWith = nullptr;
    static SendStringForm* editor = nullptr;
    if (shownFor != &g || shownWith != &messages) {
        delete editor;
        editor = new SendStringForm(g, messages, AsciiChart::Shared(g));
        shownFor = &g;
        shownWith = &messages;
    }
    editor->Edit(parent);
}

}  // namespace quorvane
