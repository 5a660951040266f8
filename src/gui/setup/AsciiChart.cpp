#include "gui/setup/AsciiChart.h"
#include "gui/CodePageText.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "config/CodePage.h"
#include "config/SetupGlobals.h"
#include "gui/ControlTextBox.h"
#include "gui/LocalizeForm.h"
#include "setup/AsciiChartEntries.h"
#include "strings/StringIds.h"

namespace quorvane {

namespace {

constexpr int kEntryRole = Qt::UserRole;  // the entry's exact bytes
constexpr int kVisibleRows = 16;

// The character as the Char column shows it: control characters, which no font draws, are
// left blank; their names stand beside them.
QString ShownCharacter(char c) {
    const QChar shown(static_cast<char16_t>(CodePage::ToUnicode(static_cast<unsigned char>(c))));
    if (shown.category() == QChar::Other_Control) return {};
    return QString(shown);
}

// An entry split into the list's three columns: the code before the TAB, then the character
// and, ten places on, the control code's name.
QTreeWidgetItem* CharacterItem(const std::string& entry) {
    const size_t tab = entry.find('\t');
    const std::string after = entry.substr(tab + 1);
    auto* item = new QTreeWidgetItem;
    item->setText(0, FromCodePage(entry.substr(0, tab)).trimmed());
    item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(1, ShownCharacter(after.at(0)));
    item->setText(2, after.size() > 10 ? FromCodePage(after.substr(10)).trimmed() : QString());
    item->setData(0, kEntryRole, QByteArray(entry.data(), static_cast<qsizetype>(entry.size())));
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int column = 0; column < 3; ++column) item->setFont(column, fixed);
    return item;
}

}  // namespace

AsciiChart::AsciiChart(SetupGlobals& g, QWidget* parent) : QDialog(parent), g_(&g) {
    setObjectName("AsciiChart");
    SetStringId(this, kStrAsciiChartTitle);

    list_ = new QTreeWidget(this);
    list_->setObjectName("AsciiMenu");
    list_->setColumnCount(3);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    SetColumnStringIds(list_, {kStrAsciiChartValue, kStrAsciiChartChar, kStrAsciiChartControlCode});
    list_->header()->setSectionsMovable(false);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->header()->setStretchLastSection(true);
    AddCharacterRows();

    ok_ = new QPushButton(this);
    ok_->setObjectName("OK");
    SetStringId(ok_, kStrAsciiChartOk);
    cancel_ = new QPushButton(this);
    cancel_->setObjectName("Cancel");
    SetStringId(cancel_, kStrAsciiChartCancel);
    ok_->setDefault(true);
    auto* buttons = new QDialogButtonBox(Qt::Horizontal, this);
    buttons->addButton(ok_, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel_, QDialogButtonBox::RejectRole);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);

    connect(ok_, &QPushButton::clicked, this, [this] { Choose(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { Choose(); });

    LocalizeForm(this);
    SetCurrentRow(0);
    list_->setFocus();
}

AsciiChart& AsciiChart::Shared(SetupGlobals& g) {
    static AsciiChart* chart = new AsciiChart(g);
    chart->g_ = &g;  // made once, but a new configuration object (a test) is taken up
    return *chart;
}

void AsciiChart::FitList() {
    // Whole rows only: the header and the row height depend on the interface font, which the
    // language sets after the chart was made.
    const int rowHeight = list_->sizeHintForRow(0) > 0 ? list_->sizeHintForRow(0) : 16;
    list_->setFixedHeight(rowHeight * kVisibleRows + list_->header()->sizeHint().height() +
                          2 * list_->frameWidth());
}

void AsciiChart::showEvent(QShowEvent* event) {
    FitList();
    adjustSize();
    QDialog::showEvent(event);
}

void AsciiChart::AddCharacterRows() {
    for (const std::string& entry : AsciiChartEntries())
        list_->addTopLevelItem(CharacterItem(entry));
}

std::string AsciiChart::Pick(QWidget* parent) {
    picked_.clear();
    setWindowModality(Qt::ApplicationModal);
    FitList();
    adjustSize();
    if (parent) move(parent->window()->frameGeometry().center() - rect().center());
    list_->setFocus();
    if (QTreeWidgetItem* current = list_->currentItem()) list_->scrollToItem(current);
    exec();
    return picked_;
}

void AsciiChart::reject() {
    picked_.clear();
    QDialog::reject();
}

void AsciiChart::Choose() {
    const std::string pick = AsciiChartPick(extras_, CurrentRow());
    if (pick.empty()) return;  // no entry chosen: the chart stays open
    picked_ = pick;
    g_->ConfigChanged = kTrue;
    accept();
}

void AsciiChart::AddExtraEntries(const std::vector<std::string>& entries) {
    RemoveExtraEntries();
    const int character = CurrentRow();
    extras_ = entries;
    for (size_t i = 0; i < entries.size(); ++i) {
        auto* item = new QTreeWidgetItem;
        item->setText(0, FromCodePage(entries[i]));
        item->setData(0, kEntryRole,
                      QByteArray(entries[i].data(), static_cast<qsizetype>(entries[i].size())));
        item->setFont(0, QFontDatabase::systemFont(QFontDatabase::FixedFont));
        list_->insertTopLevelItem(static_cast<int>(i), item);
        item->setFirstColumnSpanned(true);
    }
    SetCurrentRow(std::max(character, 0) + ExtraEntryCount());
}

void AsciiChart::RemoveExtraEntries() {
    const int character = CurrentRow() - ExtraEntryCount();
    for (size_t i = 0; i < extras_.size(); ++i) delete list_->takeTopLevelItem(0);
    extras_.clear();
    SetCurrentRow(std::max(character, 0));
}

int AsciiChart::CurrentRow() const {
    QTreeWidgetItem* current = list_->currentItem();
    return current ? list_->indexOfTopLevelItem(current) : -1;
}

void AsciiChart::SetCurrentRow(int row) {
    if (QTreeWidgetItem* item = list_->topLevelItem(row)) {
        list_->setCurrentItem(item);
        list_->scrollToItem(item);
    }
}

std::string PickIntoBox(AsciiChart& chart, ControlTextBox& box) {
    const std::string picked = chart.Pick(box.Widget()->window());
    box.InsertPicked(picked);
    return picked;
}

void ConnectAsciiChartButton(QAbstractButton* button, AsciiChart& chart,
                             std::function<ControlTextBox*()> target) {
    QObject::connect(button, &QAbstractButton::clicked, button, [&chart, target] {
        if (ControlTextBox* box = target()) PickIntoBox(chart, *box);
    });
}

}  // namespace quorvane
