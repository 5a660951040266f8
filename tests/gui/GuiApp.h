// The one QApplication of the gui tests, offscreen, made on first use.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTextLayout>
#include <QWidget>

#include <string>
#include <vector>

#include "strings/StringTable.h"

namespace quorvane {

inline QApplication& GuiApp() {
    static int argc = 1;
    static char name[] = "quorvane_gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

// The texts of a window (title, labels, buttons, group boxes, menus and their items) that
// its font cannot draw: a glyph index 0 in the laid-out text is a missing glyph.
inline std::vector<std::string> TextsWithMissingGlyphs(QWidget* window) {
    std::vector<QString> texts{window->windowTitle()};
    for (auto* w : window->findChildren<QLabel*>()) texts.push_back(w->text());
    for (auto* w : window->findChildren<QAbstractButton*>()) texts.push_back(w->text());
    for (auto* w : window->findChildren<QGroupBox*>()) texts.push_back(w->title());
    for (auto* w : window->findChildren<QMenu*>()) {
        texts.push_back(w->title());
        for (QAction* a : w->actions()) texts.push_back(a->text());
    }
    std::vector<std::string> missing;
    for (const QString& text : texts) {
        if (text.trimmed().isEmpty()) continue;
        QTextLayout layout(QString(text).remove('&'), window->font());
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        for (const QGlyphRun& run : layout.glyphRuns()) {
            for (const quint32 glyph : run.glyphIndexes()) {
                if (glyph == 0) {
                    missing.push_back(text.toStdString());
                    break;
                }
            }
        }
    }
    return missing;
}

// With QUORVANE_SCREENSHOT_DIR set, writes the window as <dir>/<name>-<en|ja>.png (the
// interface language decides the suffix); otherwise does nothing.
inline void SaveScreenshot(QWidget* window, const char* name) {
    const QByteArray dir = qgetenv("QUORVANE_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    QDir().mkpath(QString::fromUtf8(dir));
    const char* suffix = CurrentStrings().language() == Language::Japanese ? "ja" : "en";
    window->grab().save(QString::fromUtf8(dir) + "/" + name + "-" + suffix + ".png");
}

}  // namespace quorvane
