// Drives the setup window as a user would: its menu items, and the modal dialogs they open,
// answered as each one shows.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include <functional>
#include <string>

#include "gui/LocalizeForm.h"
#include "gui/setup/MainForm.h"

namespace quorvane {

// The action of menu item id anywhere in the form's menus.
inline QAction* MenuItem(MainForm& form, int id) {
    for (QMenu* menu : form.menuBar()->findChildren<QMenu*>()) {
        for (QAction* a : menu->actions())
            if (a->text() == UiText(id)) return a;
    }
    return nullptr;
}

// Runs fill on the modal dialog named name once it is the active modal window (an empty name
// stands for the file dialog); fill closes it, or opens the next one for a later WhenModal.
inline void WhenModal(const QString& name, std::function<void(QWidget*)> fill) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, name, fill] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        if (name.isEmpty() ? qobject_cast<QFileDialog*>(modal) == nullptr
                           : modal->objectName() != name)
            return;
        timer->stop();
        timer->deleteLater();
        fill(modal);
    });
    timer->start(10);
}

// The next file dialog chooses path.
inline void AnswerFileDialog(const std::string& path) {
    WhenModal("", [path](QWidget* w) {
        auto* dialog = static_cast<QFileDialog*>(w);
        dialog->selectFile(QString::fromStdString(path));
        static_cast<QDialog*>(dialog)->accept();  // the file dialog's own checks run
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

}  // namespace quorvane
