#include "gui/setup/HotKeyFrm.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>

#include "config/SetupGlobals.h"
#include "gui/CodePageText.h"
#include "gui/ControlTextBox.h"
#include "gui/DialogButtons.h"
#include "gui/LocalizeForm.h"
#include "gui/setup/AsciiChart.h"
#include "gui/setup/GetAKey2.h"
#include "strings/StringIds.h"

namespace quorvane {

namespace {

constexpr int kKeyRow = 2, kStringRow = 3;  // rows of the form's grid

constexpr Qt::KeyboardModifiers kHeldModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

// Tab moves on, Enter presses OK and Escape cancels, as in every dialog; with Ctrl or Alt
// (and Enter or Escape with Shift) they are keys like any other.
bool KeepsDialogMeaning(const QKeyEvent* event) {
    const Qt::KeyboardModifiers held = event->modifiers() & kHeldModifiers;
    switch (event->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return !(held & (Qt::ControlModifier | Qt::AltModifier));
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            return held == Qt::NoModifier;
        default:
            return false;
    }
}

int ModifierFlags(Qt::KeyboardModifiers m) {
    return (m.testFlag(Qt::ShiftModifier) ? kHotKeyShift : 0) |
           (m.testFlag(Qt::ControlModifier) ? kHotKeyCtrl : 0) |
           (m.testFlag(Qt::AltModifier) ? kHotKeyAlt : 0);
}

}  // namespace

// The key box: shows key names only. A key pressed in it is reported as a hot key code and
// never typed; Alt+letter is a key here, not a button's accelerator.
class HotKeyBox : public QLineEdit {
  public:
    explicit HotKeyBox(QWidget* parent) : QLineEdit(parent) {
        setReadOnly(true);
        setAcceptDrops(false);
        setDragEnabled(false);
        setContextMenuPolicy(Qt::NoContextMenu);
        setAttribute(Qt::WA_InputMethodEnabled, false);
        setFocusPolicy(Qt::StrongFocus);
    }

    std::function<void(int code)> OnKey;

  protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride &&
            !KeepsDialogMeaning(static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        return QLineEdit::event(event);
    }

    void keyPressEvent(QKeyEvent* event) override {
        if (KeepsDialogMeaning(event)) {
            event->ignore();
            return;
        }
        const int key =
            VirtualKeyForQtKey(event->key(), event->modifiers().testFlag(Qt::KeypadModifier));
        if (key != 0 && OnKey) OnKey(HotKeyCodeOf(ModifierFlags(event->modifiers()), key));
        event->accept();
    }

    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        selectAll();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QLineEdit::focusOutEvent(event);
        deselect();
    }
    // A click only gives the focus: the box holds a name, not text to edit.
    void mousePressEvent(QMouseEvent* event) override {
        setFocus(Qt::MouseFocusReason);
        selectAll();
        event->accept();
    }
    void mouseMoveEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { event->accept(); }
};

HotKeyFrm::HotKeyFrm(SetupGlobals& g, Messages& messages, QWidget* parent)
    : QDialog(parent), g_(g), working_(HotKeySlotsOf(g)) {
    setObjectName("HotKeyFrm");
    SetStringId(this, kStrHotKeyFrmTitle);

    const auto label = [this](int id) {
        auto* l = new QLabel(this);
        SetStringId(l, id);
        return l;
    };
    QLabel* slotLabel = label(kStrHotKeyNumberLabel);
    slots_ = new QComboBox(this);
    slots_->setObjectName("HKNumList");
    for (int s = 1; s <= kHotKeySlots; ++s) slots_->addItem(QString::number(s));

    QLabel* actionLabel = label(kStrHotKeyActionLabel);
    actions_ = new QComboBox(this);
    actions_->setObjectName("HKActionList");
    for (int a = 0; a < kHotKeyActionCount; ++a) actions_->addItem(UiText(HotKeyActionStringId(a)));

    QLabel* keyLabel = label(kStrHotKeyLabel);
    key_ = new HotKeyBox(this);
    key_->setObjectName("HKKey");
    key_->setMinimumWidth(fontMetrics().averageCharWidth() * 28);
    key_->OnKey = [this](int code) { SetKey(code); };

    stringLabel_ = label(kStrHotKeyOutputStringLabel);
    stringLabel_->setObjectName("OutputStringLabel");
    string_ = new ControlTextPlainEdit(messages, this);
    string_->setObjectName("Text1");
    string_->setFixedHeight(fontMetrics().lineSpacing() * 3 + 2 * string_->frameWidth() + 8);

    picker_ = new QPushButton(this);
    picker_->setObjectName("KeyListButton");
    picker_->setAutoDefault(false);
    SetStringId(picker_, kStrHotKeyKeystrokeList);

    for (QWidget* w : {static_cast<QWidget*>(stringLabel_), static_cast<QWidget*>(string_),
                       static_cast<QWidget*>(picker_)}) {
        // Shown and hidden as the action and the focus change; the form must not jump.
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    slotLabel->setBuddy(slots_);
    actionLabel->setBuddy(actions_);
    keyLabel->setBuddy(key_);
    stringLabel_->setBuddy(string_);

    auto* top = new QVBoxLayout(this);
    grid_ = new QGridLayout;
    QGridLayout* grid = grid_;
    top->addLayout(grid);
    grid->addWidget(slotLabel, 0, 0);
    grid->addWidget(slots_, 0, 1, Qt::AlignLeft);
    grid->addWidget(actionLabel, 1, 0);
    grid->addWidget(actions_, 1, 1, Qt::AlignLeft);
    grid->addWidget(keyLabel, kKeyRow, 0);
    grid->addWidget(key_, kKeyRow, 1);
    grid->addWidget(stringLabel_, kStringRow, 0, Qt::AlignTop);
    grid->addWidget(string_, kStringRow, 1);
    grid->addWidget(picker_, kKeyRow, 2, Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    const auto [ok, cancel] = AddOkCancelButtons(this, top, kStrHotKeyOk, kStrHotKeyCancel);
    ok_ = ok;
    cancel_ = cancel;

    setTabOrder(slots_, actions_);
    setTabOrder(actions_, key_);
    setTabOrder(key_, picker_);
    setTabOrder(picker_, string_);
    setTabOrder(string_, ok_);
    setTabOrder(ok_, cancel_);

    for (QWidget* w : {static_cast<QWidget*>(key_), static_cast<QWidget*>(string_),
                       static_cast<QWidget*>(slots_), static_cast<QWidget*>(actions_),
                       static_cast<QWidget*>(ok_), static_cast<QWidget*>(cancel_)}) {
        w->installEventFilter(this);
    }
    connect(slots_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) ShowSlot(index);
    });
    connect(actions_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!showingSlot_ && index >= 0) ChooseAction(index);
    });
    connect(string_, &QPlainTextEdit::textChanged, this, [this] {
        if (!showingSlot_) working_[static_cast<size_t>(slot_)].String = string_->Value();
    });
    connect(picker_, &QPushButton::clicked, this, [this] { RunPicker(); });
    connect(ok_, &QPushButton::clicked, this, [this] { OnOk(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    LocalizeForm(this);
    picker_->hide();
    ShowSlot(0);
    slots_->setFocus();
}

HotKeyFrm::~HotKeyFrm() = default;

void HotKeyFrm::ShowRunTimeTexts() {
    for (int a = 0; a < kHotKeyActionCount; ++a)
        actions_->setItemText(a, UiText(HotKeyActionStringId(a)));
    ShowPickerButton(role_);
}

bool HotKeyFrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        // A box the action has hidden or disabled may still be the form's focus widget.
        if (watched == key_) {
            ShowPickerButton(PickerRole::KeyList);
            picker_->setVisible(key_->isEnabled());
        } else if (watched == string_) {
            ShowPickerButton(PickerRole::AsciiChart);
            picker_->setVisible(string_->isVisibleTo(this));
            key_->deselect();
        } else {
            key_->deselect();
            picker_->hide();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void HotKeyFrm::ShowSlot(int slot) {
    showingSlot_ = true;
    slot_ = slot;
    const HotKeySlot& s = working_[static_cast<size_t>(slot)];
    // An action outside the list (only from a hand-edited file) shows no entry and is kept.
    actions_->setCurrentIndex(s.Action >= 0 && s.Action < kHotKeyActionCount ? s.Action : -1);
    ShowActionControls(s.Action);
    string_->SetValue(s.String);
    key_->setText(FromCodePage(HotKeyDisplayName(s.Code)));
    if (slots_->currentIndex() != slot) slots_->setCurrentIndex(slot);
    showingSlot_ = false;
}

void HotKeyFrm::ChooseAction(int action) {
    working_[static_cast<size_t>(slot_)].Action = static_cast<int16_t>(action);
    ShowActionControls(action);
}

void HotKeyFrm::ShowActionControls(int action) {
    const bool transmit = action == kTransmitStringAction;
    stringLabel_->setVisible(transmit);
    string_->setVisible(transmit);
    key_->setEnabled(action != 0);  // the slot keeps its key code all the same
    if (!transmit && role_ == PickerRole::AsciiChart) picker_->hide();
}

void HotKeyFrm::SetKey(int code) {
    working_[static_cast<size_t>(slot_)].Code = static_cast<int16_t>(code);
    key_->setText(FromCodePage(HotKeyDisplayName(code)));
    key_->selectAll();
}

void HotKeyFrm::ShowPickerButton(PickerRole role) {
    role_ = role;
    const int id = role == PickerRole::KeyList ? kStrHotKeyKeystrokeList : kStrAsciiChartButton;
    SetStringId(picker_, id);
    picker_->setText(UiText(id));
    // The button stands beside the box it serves.
    grid_->removeWidget(picker_);
    grid_->addWidget(picker_, role == PickerRole::KeyList ? kKeyRow : kStringRow, 2, Qt::AlignTop);
}

void HotKeyFrm::RunPicker() {
    if (role_ == PickerRole::AsciiChart) {
        PickIntoBox(AsciiChart::Shared(g_), *string_);
        return;
    }
    const HotKeyPick pick = GetAKey2::Shared(g_).Pick(this);
    activateWindow();
    key_->setFocus(Qt::OtherFocusReason);
    if (pick.Name.empty()) return;
    working_[static_cast<size_t>(slot_)].Code = static_cast<int16_t>(pick.Code);
    key_->setText(FromCodePage(pick.Name));
    key_->selectAll();
}

void HotKeyFrm::OnOk() {
    StoreHotKeySlots(g_, working_);
    accept();
}

void ShowHotKeyEditor(SetupGlobals& g, Messages& messages, QWidget* parent) {
    HotKeyFrm form(g, messages, parent);
    form.exec();
}

}  // namespace quorvane
