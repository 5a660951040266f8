#include "gui/setup/KeyPickerForm.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/SetupGlobals.h"
#include "gui/CodePageText.h"
#include "gui/DialogButtons.h"
#include "gui/LocalizeForm.h"
#include "setup/KeyPickerRules.h"
#include "strings/StringIds.h"

namespace quorvane {

namespace {

constexpr int kEntryRole = Qt::UserRole;  // the entry's exact bytes
constexpr int kVisibleRows = 14;

}  // namespace

KeyPickerForm::KeyPickerForm(SetupGlobals& g, const char* name, int titleId, int okId, int cancelId,
                             const std::vector<std::string>& entries)
    : QDialog(nullptr), g_(&g) {
    setObjectName(name);
    SetStringId(this, titleId);

    list_ = new QListWidget(this);
    list_->setObjectName("KeyList");
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (size_t i = 0; i < entries.size(); ++i) AddEntry(list_, static_cast<int>(i), entries[i]);
    const int rowHeight = list_->sizeHintForRow(0) > 0 ? list_->sizeHintForRow(0) : 16;
    list_->setMinimumHeight(rowHeight * kVisibleRows + 2 * list_->frameWidth());
    list_->setMinimumWidth(fontMetrics().averageCharWidth() * 18);

    const auto check = [this](const char* objectName, int id) {
        auto* box = new QCheckBox(this);
        box->setObjectName(objectName);
        SetStringId(box, id);
        return box;
    };
    shift_ = check("Shift", kStrPickerShift);
    ctrl_ = check("Ctrl", kStrPickerCtrl);
    alt_ = check("Alt", kStrPickerAlt);

    auto* top = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    top->addLayout(row);
    row->addWidget(list_, 1);
    auto* checks = new QVBoxLayout;
    row->addLayout(checks);
    for (QCheckBox* box : {shift_, ctrl_, alt_}) checks->addWidget(box);
    checks->addStretch();
    const auto [ok, cancel] = AddOkCancelButtons(this, top, okId, cancelId);

    connect(ok, &QPushButton::clicked, this, [this] { Choose(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { Choose(); });

    LocalizeForm(this);
    SetCurrentRow(0);
}

void KeyPickerForm::AddEntry(QListWidget* list, int row, const std::string& entry) {
    auto* item = new QListWidgetItem(FromCodePage(entry));
    item->setData(kEntryRole, QByteArray(entry.data(), static_cast<qsizetype>(entry.size())));
    list->insertItem(row, item);
}

std::string KeyPickerForm::EntryAt(int row) const {
    const QListWidgetItem* item = list_->item(row);
    if (!item) return {};
    return item->data(kEntryRole).toByteArray().toStdString();
}

int KeyPickerForm::Modifiers() const {
    return (shift_->isChecked() ? kHotKeyShift : 0) | (ctrl_->isChecked() ? kHotKeyCtrl : 0) |
           (alt_->isChecked() ? kHotKeyAlt : 0);
}

int KeyPickerForm::CurrentRow() const {
    return list_->currentRow();
}

void KeyPickerForm::SetCurrentRow(int row) {
    if (QListWidgetItem* item = list_->item(row)) {
        list_->setCurrentItem(item);
        list_->scrollToItem(item);
    }
}

bool KeyPickerForm::RunModal(QWidget* parent) {
    ClearPick();
    ClearCheckBoxes();
    setWindowModality(Qt::ApplicationModal);
    adjustSize();
    if (parent) move(parent->window()->frameGeometry().center() - rect().center());
    list_->setFocus();
    if (QListWidgetItem* current = list_->currentItem()) list_->scrollToItem(current);
    return exec() == QDialog::Accepted;
}

void KeyPickerForm::reject() {
    ClearPick();
    ClearCheckBoxes();
    QDialog::reject();
}

void KeyPickerForm::Choose() {
    const int row = CurrentRow();
    if (row < 0) return;  // no entry chosen: the picker stays open
    TakePick(row, Modifiers());
    g_->ConfigChanged = kTrue;
    ClearCheckBoxes();
    accept();
}

void KeyPickerForm::ClearCheckBoxes() {
    for (QCheckBox* box : {shift_, ctrl_, alt_}) box->setChecked(false);
}

}  // namespace quorvane
