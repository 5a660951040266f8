// "Send Keystrokes To:": the window title and the command line of the target application.
#pragma once

#include <QDialog>
#include <QFileInfo>
#include <QSortFilterProxyModel>
#include <QString>

#include <functional>

#include "config/SetupGlobals.h"
#include "platform/Messages.h"

class QLineEdit;

namespace quorvane {

// The file chooser's view of the file system: folders and executable files only, or
// everything when showAll is set. A name filter cannot see the executable bit.
class ExecutableFilterProxy : public QSortFilterProxyModel {
    Q_OBJECT
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    static bool Shows(const QFileInfo& file, bool showAll);
    void SetShowAll(bool showAll);

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

  private:
    bool showAll_ = false;
};

class AppSelect : public QDialog {
    Q_OBJECT
  public:
    AppSelect(SetupGlobals& g, Messages& messages, QWidget* parent = nullptr);

    // Fills the boxes from the settings, runs modally; true when OK was pressed.
    bool Edit();
    void Fill();

    // The program chooser behind "Browse..." (tests hand in their own): the chosen path, or
    // an empty text when the user cancelled. startPath is the box's current command.
    using ProgramChooser = std::function<QString(QWidget* parent, const QString& startPath)>;
    void SetProgramChooser(ProgramChooser chooser) { chooser_ = std::move(chooser); }
    static QString ChooseProgram(QWidget* parent, const QString& startPath);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnBrowse();
    void OnOk();

    SetupGlobals& g_;
    [[maybe_unused]] Messages& messages_;  // the dialogs share one constructor shape
    ProgramChooser chooser_;
    QLineEdit* appName_ = nullptr;
    QLineEdit* appCmd_ = nullptr;
};

}  // namespace quorvane
