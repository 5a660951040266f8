// Windows carry the string ids of their texts; one walk over a window puts the interface
// language's texts and font in place. Ids are attached with SetStringId (a dynamic property),
// so a window built in code names each id once, beside the control it belongs to.
#pragma once

#include <QFont>
#include <QString>

#include <initializer_list>

class QObject;
class QWidget;

namespace quorvane {

// The table text of id (UTF-8 converted to QString); empty when the table has none.
QString UiText(int id);

// The text of a window, label, button, check box, group box, menu (QMenu) or action.
void SetStringId(QObject* object, int id);
void SetToolTipStringId(QObject* object, int id);
// The tab captions of a QTabWidget, and the column headers of a QTreeWidget or QTableWidget,
// in order; 0 keeps that tab's or column's own text.
void SetTabStringIds(QObject* tabs, std::initializer_list<int> ids);
void SetColumnStringIds(QObject* view, std::initializer_list<int> ids);

// The interface font: the face of string 20 when this machine has it, else the desktop's
// own face (fontconfig's fallback then finds a face for the language), at the desktop's size,
// not bold.
QFont InterfaceFont();

// Sets the window's title from its id, its font, and the text of every child that carries an
// id. Ids of 0 or below, and ids the table does not hold, leave the designer text alone.
void LocalizeForm(QWidget* window);

}  // namespace quorvane
