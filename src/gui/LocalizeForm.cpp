#include "gui/LocalizeForm.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVariant>
#include <QWidget>

#include "strings/StringTable.h"

namespace quorvane {

namespace {

constexpr const char* kIdProperty = "quorvaneStringId";
constexpr const char* kToolTipProperty = "quorvaneToolTipId";
constexpr const char* kTabsProperty = "quorvaneTabIds";
constexpr const char* kColumnsProperty = "quorvaneColumnIds";
constexpr int kFontFaceId = 20;

QVariantList IdList(std::initializer_list<int> ids) {
    QVariantList list;
    for (const int id : ids) list.append(id);
    return list;
}

// The text of a stored id, or a null QString when there is none to use.
QString TextOf(const QVariant& value) {
    bool ok = false;
    const int id = value.toInt(&ok);
    if (!ok || id <= 0 || !CurrentStrings().Has(id)) return {};
    return UiText(id);
}

void LocalizeOne(QObject* object, const QFont& font) {
    if (const QString text = TextOf(object->property(kIdProperty)); !text.isNull()) {
        if (auto* action = qobject_cast<QAction*>(object)) {
            action->setText(text);
        } else if (auto* menu = qobject_cast<QMenu*>(object)) {
            menu->setTitle(text);
        } else if (auto* label = qobject_cast<QLabel*>(object)) {
            label->setText(text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
            button->setText(text);
        } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
            group->setTitle(text);
        } else if (auto* edit = qobject_cast<QLineEdit*>(object)) {
            edit->setText(text);
        } else if (auto* widget = qobject_cast<QWidget*>(object); widget && widget->isWindow()) {
            widget->setWindowTitle(text);
        }
    }
    if (const QString tip = TextOf(object->property(kToolTipProperty)); !tip.isNull()) {
        if (auto* action = qobject_cast<QAction*>(object)) action->setToolTip(tip);
        if (auto* widget = qobject_cast<QWidget*>(object)) widget->setToolTip(tip);
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(object)) {
        const QVariantList ids = tabs->property(kTabsProperty).toList();
        for (int i = 0; i < ids.size() && i < tabs->count(); ++i) {
            if (const QString text = TextOf(ids[i]); !text.isNull()) tabs->setTabText(i, text);
        }
    }
    const QVariantList columns = object->property(kColumnsProperty).toList();
    if (auto* tree = qobject_cast<QTreeWidget*>(object); tree && !columns.isEmpty()) {
        QTreeWidgetItem* header = tree->headerItem();
        for (int i = 0; i < columns.size() && i < header->columnCount(); ++i) {
            if (const QString text = TextOf(columns[i]); !text.isNull()) header->setText(i, text);
        }
    }
    if (auto* table = qobject_cast<QTableWidget*>(object); table && !columns.isEmpty()) {
        for (int i = 0; i < columns.size() && i < table->columnCount(); ++i) {
            const QString text = TextOf(columns[i]);
            if (text.isNull()) continue;
            if (QTableWidgetItem* item = table->horizontalHeaderItem(i)) {
                item->setText(text);
            } else {
                table->setHorizontalHeaderItem(i, new QTableWidgetItem(text));
            }
        }
    }
    // Menus ignore the font, as everywhere; every widget takes the window's.
    if (auto* widget = qobject_cast<QWidget*>(object); widget && !qobject_cast<QMenu*>(object)) {
        widget->setFont(font);
    }
}

}  // namespace

QString UiText(int id) {
    return QString::fromStdString(LoadString(id));
}

void SetStringId(QObject* object, int id) {
    object->setProperty(kIdProperty, id);
}
void SetToolTipStringId(QObject* object, int id) {
    object->setProperty(kToolTipProperty, id);
}
void SetTabStringIds(QObject* tabs, std::initializer_list<int> ids) {
    tabs->setProperty(kTabsProperty, IdList(ids));
}
void SetColumnStringIds(QObject* view, std::initializer_list<int> ids) {
    view->setProperty(kColumnsProperty, IdList(ids));
}

QFont InterfaceFont() {
    QFont font = QApplication::font();
    const QString face = UiText(kFontFaceId);
    // The tables name Windows faces; a machine that has one (installed by the user) gets it.
    if (!face.isEmpty() && QFontDatabase::families().contains(face, Qt::CaseInsensitive)) {
        font.setFamily(face);
    }
    font.setBold(false);
    return font;
}

void LocalizeForm(QWidget* window) {
    const QFont font = InterfaceFont();
    LocalizeOne(window, font);
    if (const QString title = TextOf(window->property(kIdProperty)); !title.isNull()) {
        window->setWindowTitle(title);
    }
    for (QObject* child : window->findChildren<QObject*>()) LocalizeOne(child, font);
}

}  // namespace quorvane
