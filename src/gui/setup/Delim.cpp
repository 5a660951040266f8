#include "gui/setup/Delim.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/CodePageText.h"
#include "gui/DialogButtons.h"
#include "gui/LocalizeForm.h"
#include "gui/setup/WizardNumericBox.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

constexpr int kVisibleRows = 10;

// A character as the list shows it: control characters, which no font draws, stay blank
// beside their names.
QString ShownCharacter(const std::string& character) {
    const QString shown = FromCodePage(character);
    if (shown.isEmpty() || shown.front().category() == QChar::Other_Control) return {};
    return shown;
}

}  // namespace

Delim::Delim(SetupGlobals& g, Messages& messages, QWidget* parent)
    : WizardPage(g, messages, parent) {
    setObjectName("Delim");
    SetStringId(this, kStrDelimTitle);
    auto* top = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    top->addLayout(grid);

    auto* listLabel = new QLabel(this);
    SetStringId(listLabel, kStrDelimCharacterLabel);
    delimOptions_ = new QTreeWidget(this);
    delimOptions_->setObjectName("DelimOptions");
    delimOptions_->setColumnCount(3);
    delimOptions_->setHeaderHidden(true);
    delimOptions_->setRootIsDecorated(false);
    delimOptions_->setUniformRowHeights(true);
    delimOptions_->setAllColumnsShowFocus(true);
    delimOptions_->setSelectionMode(QAbstractItemView::SingleSelection);
    delimOptions_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    delimOptions_->header()->setStretchLastSection(true);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int code = 0; code < kDelimiterListCount; ++code) {
        const DelimiterColumns columns = DelimiterListColumns(code);
        auto* item = new QTreeWidgetItem;
        item->setText(0, QString::fromStdString(columns.Code));
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(1, ShownCharacter(columns.Character));
        item->setText(2, QString::fromStdString(columns.Name));
        for (int column = 0; column < 3; ++column) item->setFont(column, fixed);
        delimOptions_->addTopLevelItem(item);
    }
    const int rowHeight = std::max(delimOptions_->sizeHintForRow(0), 16);
    delimOptions_->setMinimumHeight(rowHeight * kVisibleRows);
    delimOptions_->setMinimumWidth(delimOptions_->fontMetrics().averageCharWidth() * 24);
    listLabel->setBuddy(delimOptions_);

    auto* fieldsLabel = new QLabel(this);
    SetStringId(fieldsLabel, kStrDelimFieldsLabel);
    text1_ = new WizardNumericBox(messages_, true, this);
    text1_->setObjectName("Text1");
    text1_->setMaximumWidth(text1_->fontMetrics().averageCharWidth() * 8);
    fieldsLabel->setBuddy(text1_);

    grid->addWidget(listLabel, 0, 0, Qt::AlignTop);
    grid->addWidget(delimOptions_, 0, 1);
    grid->addWidget(fieldsLabel, 1, 0);
    grid->addWidget(text1_, 1, 1, Qt::AlignLeft);
    const auto [ok, cancel] = AddOkCancelButtons(this, top, kStrDelimContinue, kStrDelimCancel);
    connect(ok, &QPushButton::clicked, this, &Delim::Continue);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    LocalizeForm(this);
}

void Delim::Fill() {
    text1_->setText(QString::number(g_.NumberOfFields));
    if (QTreeWidgetItem* item = delimOptions_->topLevelItem(DelimiterListIndex(g_.DelimiterChar))) {
        delimOptions_->setCurrentItem(item);
        delimOptions_->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    }
    delimOptions_->setFocus();
}

void Delim::Continue() {
    const int64_t fields = NumericBoxValue(text1_->text().toStdString());
    if (!DelimitedFieldsInRange(fields)) {
        messages_.Beep();
        messages_.Show(LoadString(kStrDelimitedFieldsRange), LoadString(kStrInvalidInput),
                       MessageButtons::Ok, MessageIcon::Exclamation);
        text1_->setFocus();
        return;
    }
    QTreeWidgetItem* current = delimOptions_->currentItem();
    const int code = current ? delimOptions_->indexOfTopLevelItem(current)
                             : DelimiterListIndex(g_.DelimiterChar);
    StoreDelimited(g_, static_cast<int>(fields), static_cast<char>(code));
    accept();
    Continued(WizardStep::Editor);
}

}  // namespace quorvane
