#include "gui/setup/TransTbl.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "config/CodePage.h"
#include "gui/CodePageText.h"
#include "gui/LocalizeForm.h"
#include "gui/setup/AsciiChart.h"
#include "strings/StringIds.h"

namespace quorvane {

namespace {

enum Columns { kValueColumn, kCharColumn, kControlColumn, kTranslationColumn };
constexpr int kVisibleRows = 16;

// Control characters, which no font draws, are left blank; their names stand beside them.
QString ShownCharacter(int code) {
    const QChar shown(static_cast<char16_t>(CodePage::ToUnicode(static_cast<unsigned char>(code))));
    if (shown.category() == QChar::Other_Control || code == 160) return {};
    return QString(shown);
}

// The menu item's text as a caption: without its accelerator, "(&I)" included.
QString CaptionOfMenuItem(QString text) {
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    return text.remove('&');
}

int CaptionIdOf(int kind, int16_t mode) {
    if (kind == kTransKeystrokes) return kStrTransKeystrokeTitle;
    return mode == kModeDde ? kStrTransDdeTitle : kStrTransLogTitle;
}

class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

TransTbl::TransTbl(SetupGlobals& g, AsciiChart& chart, QWidget* parent)
    : QDialog(parent), g_(g), chart_(chart) {
    setObjectName("TransTbl");
    SetStringId(this, kStrTransTitle);

    auto* help = new QLabel(this);
    help->setWordWrap(true);
    SetStringId(help, kStrTransHelpSelect);

    list_ = new QTreeWidget(this);
    list_->setObjectName("TransTable");
    list_->setColumnCount(4);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    SetColumnStringIds(list_, {kStrTransValueColumn, kStrTransCharColumn, kStrTransControlColumn,
                               kStrTransTranslationColumn});
    list_->header()->setSectionsMovable(false);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->header()->setStretchLastSection(true);
    // The fixed part of every row is made once; openings only rewrite the translations.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int code = 0; code < 256; ++code) {
        const TranslationRowCells cells = TranslationCellsOf(code);
        auto* item = new QTreeWidgetItem;
        item->setText(kValueColumn, QString::fromStdString(cells.Value));
        item->setTextAlignment(kValueColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(kCharColumn, ShownCharacter(code));
        item->setTextAlignment(kCharColumn, Qt::AlignHCenter | Qt::AlignVCenter);
        item->setText(kControlColumn, QString::fromStdString(cells.ControlName));
        for (int column = 0; column < 4; ++column) item->setFont(column, fixed);
        list_->addTopLevelItem(item);
    }
    const int rowHeight = list_->sizeHintForRow(0) > 0 ? list_->sizeHintForRow(0) : 16;
    list_->setMinimumHeight(rowHeight * kVisibleRows + list_->header()->sizeHint().height());

    auto* resetHelp = new QLabel(this);
    resetHelp->setWordWrap(true);
    SetStringId(resetHelp, kStrTransHelpReset);

    auto* translate = new QPushButton(this);
    translate->setObjectName("Command1");
    SetStringId(translate, kStrTransTranslate);
    // Enter on a row translates it: choosing rows and translating them is the work here,
    // and closing loses nothing.
    translate->setDefault(true);
    auto* reset = new QPushButton(this);
    reset->setObjectName("Command3");
    SetStringId(reset, kStrTransResetAll);
    auto* ok = new QPushButton(this);
    ok->setObjectName("Command2");
    SetStringId(ok, kStrTransOk);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(translate);
    buttons->addWidget(reset);
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(help);
    layout->addWidget(list_);
    layout->addWidget(resetHelp);
    layout->addLayout(buttons);

    connect(translate, &QPushButton::clicked, this, &TransTbl::TranslateSelected);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &TransTbl::TranslateSelected);
    connect(reset, &QPushButton::clicked, this, &TransTbl::ResetAll);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    LocalizeForm(this);
}

void TransTbl::Fill(TranslationTable which) {
    WaitCursor wait;
    kind_ = TransTableKindFor(which, g_.Mode);
    if (kind_ == kTransInput) {
        SetStringId(this, 0);
        setWindowTitle(CaptionOfMenuItem(UiText(kStrMenuPreInput)));
        chart_.AddExtraEntries({kIgnoreEntry, kVoidRecordEntry});
    } else {
        const int caption = CaptionIdOf(kind_, g_.Mode);
        SetStringId(this, caption);
        setWindowTitle(UiText(caption));
        chart_.RemoveExtraEntries();
    }
    FillRows();
}

void TransTbl::Edit(TranslationTable which, KeystrokePick pick, QWidget* over) {
    pick_ = std::move(pick);
    setWindowModality(Qt::ApplicationModal);
    Fill(which);
    adjustSize();
    if (over) move(over->window()->frameGeometry().center() - rect().center());
    list_->setFocus();
    exec();
}

void TransTbl::done(int result) {
    // The words belong to this editor's pre-input table only.
    chart_.RemoveExtraEntries();
    QDialog::done(result);
}

void TransTbl::FillRows() {
    for (int code = 0; code < 256; ++code) ShowRow(code);
    // Wide enough for every column without scrolling sideways, in either language.
    const QAbstractItemView* view = list_;  // the tree view's own hint is not public
    int width = 0;
    for (int column = 0; column < 4; ++column)
        width +=
            std::max(view->sizeHintForColumn(column), list_->header()->sectionSizeHint(column));
    list_->setMinimumWidth(width + list_->verticalScrollBar()->sizeHint().width() +
                           2 * list_->frameWidth() + list_->fontMetrics().averageCharWidth() * 6);
}

void TransTbl::ShowRow(int code) {
    QTreeWidgetItem* item = list_->topLevelItem(code);
    item->setText(kTranslationColumn,
                  FromCodePage(TranslationColumnText(kind_, TranslationEntry(g_, kind_, code))));
    item->setData(kValueColumn, Qt::AccessibleTextRole,
                  FromCodePage(TranslationRowText(g_, kind_, code)));
}

void TransTbl::TranslateSelected() {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) return;
    const int code = list_->indexOfTopLevelItem(selected.front());
    if (code < 0 || code > 255) return;
    std::string pick;
    if (kind_ == kTransKeystrokes) {
        if (pick_) pick = pick_(this);
    } else {
        pick = chart_.Pick(this);
    }
    if (pick.empty()) return;
    StoreTranslation(g_, kind_, code, pick);
    g_.ConfigChanged = kTrue;
    ShowRow(code);
    list_->setFocus();
}

void TransTbl::ResetAll() {
    WaitCursor wait;
    ResetTranslationTable(g_, kind_);
    FillRows();
    g_.ConfigChanged = kTrue;
}

void ShowTranslationEditor(SetupGlobals& g, [[maybe_unused]] Messages& messages,
                           TranslationTable which, KeystrokePick pickKeystroke, QWidget* parent) {
    static SetupGlobals* shownFor = nullptr;
    static TransTbl* editor = nullptr;
    if (shownFor != &g) {
        delete editor;
        editor = new TransTbl(g, AsciiChart::Shared(g));
        shownFor = &g;
    }
    editor->Edit(which, std::move(pickKeystroke), parent);
}

}  // namespace quorvane
