// Drives the setup window as a user would: its menu items, and the modal dialogs they open,
// answered as each one shows.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <string>

#include "gui/LocalizeForm.h"
#include "gui/setup/AsciiChart.h"
#include "gui/setup/MainForm.h"
#include "strings/StringIds.h"

namespace quorvane {

// The action of menu item id anywhere in the form's menus.
inline QAction* MenuItem(MainForm& form, int id) {
    for (QMenu* menu : form.menuBar()->findChildren<QMenu*>()) {
        for (QAction* a : menu->actions())
            if (a->text() == UiText(id)) return a;
    }
    return nullptr;
}

// A dialog that its answers should have closed and that still waits 15 s later is a failure,
// not a hang: it is named and cancelled.
inline void ExpectClosed(QWidget* dialog, const QString& name) {
    QPointer<QWidget> open(dialog);
    QTimer::singleShot(15000, [open, name] {
        if (!open || !open->isVisible()) return;
        QWidget* top = QApplication::activeModalWidget();
        auto* box = qobject_cast<QMessageBox*>(top);
        ADD_FAILURE() << "the dialog " << (name.isEmpty() ? "(file)" : name.toStdString())
                      << " was still open 15 s after its answers"
                      << (box ? ", under the box: " + box->text().toStdString() : "");
        if (box) box->reject();
        if (auto* dialog = qobject_cast<QDialog*>(open.data())) dialog->reject();
    });
}

// Runs fill on the modal dialog named name once it is the active modal window (an empty name
// stands for the file dialog); fill closes it, or opens the next one for a later WhenModal.
// A dialog that never comes is a failure, not a hang: after 15 s whatever modal window is
// open is named and cancelled.
inline void WhenModal(const QString& name, std::function<void(QWidget*)> fill) {
    auto* timer = new QTimer;
    auto* waited = new int(0);
    QObject::connect(timer, &QTimer::timeout, [timer, waited, name, fill] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool wanted =
            modal != nullptr && (name.isEmpty() ? qobject_cast<QFileDialog*>(modal) != nullptr
                                                : modal->objectName() == name);
        if (!wanted && ++*waited < 1500) return;
        timer->stop();
        timer->deleteLater();
        delete waited;
        if (wanted) {
            ExpectClosed(modal, name);  // armed first: a fill may wait inside a box
            fill(modal);
            return;
        }
        ADD_FAILURE() << "no dialog " << name.toStdString() << " came; the modal window is "
                      << (modal ? modal->metaObject()->className() : "none");
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    });
    timer->start(10);
}

// The next file dialog chooses path. The name is typed into the dialog's name box (selectFile
// leaves a box that has the focus as it is), and the dialog is accepted only once it would
// choose exactly that file: a dialog that opens on the current file selects it in its list
// when it has read the folder, and accepting then would ask to replace that file. The answer
// is repeated until the dialog has closed.
inline void AnswerFileDialog(const std::string& path) {
    WhenModal("", [path](QWidget* w) {
        auto* dialog = static_cast<QFileDialog*>(w);
        const QString file = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
        auto answer = [dialog, file] {
            if (QApplication::activeModalWidget() != dialog) return;  // a box of its own is up
            dialog->selectFile(file);  // the folder, and the list's selection cleared
            if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit"))
                name->setText(QFileInfo(file).fileName());
            if (dialog->selectedFiles() == QStringList{file})
                static_cast<QDialog*>(dialog)->accept();  // the file dialog's own checks run
        };
        auto* retry = new QTimer(dialog);
        QObject::connect(retry, &QTimer::timeout, answer);
        retry->start(50);
        answer();
    });
}

template <typename T = QWidget>
T* Child(QWidget* dialog, const char* name) {
    T* child = dialog->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

inline void Click(QWidget* dialog, const char* name) {
    if (auto* button = Child<QAbstractButton>(dialog, name)) button->click();
}

inline void Type(QWidget* box, const char* text) {
    box->setFocus();
    QTest::keyClicks(box, text);
}

// Define > Pre-Input Character Translations: the LF row set to Ignore through Translate... and
// the ASCII chart, so that the LF after a record's CR is dropped as it arrives.
inline void IgnoreLfOnInput(MainForm& form) {
    WhenModal("TransTbl", [](QWidget* table) {
        auto* rows = Child<QTreeWidget>(table, "TransTable");
        rows->setCurrentItem(rows->topLevelItem('\n'));
        WhenModal("AsciiChart", [](QWidget* chart) {
            static_cast<AsciiChart*>(chart)->SetCurrentRow(0);
            Click(chart, "OK");
        });
        Click(table, "Command1");
        Click(table, "Command2");
    });
    MenuItem(form, kStrMenuPreInput)->trigger();
}

}  // namespace quorvane
