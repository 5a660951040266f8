// The translation table editor: the 256 rows of one translation table, edited in place in
// the configuration (there is no cancel). One form serves the pre-input table and the
// pre-transfer table of the current mode; each opening refills it.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

#include "config/SetupGlobals.h"
#include "setup/TranslationRows.h"

class QPushButton;
class QTreeWidget;

namespace quorvane {

class AsciiChart;
class Messages;

// The keystroke picker: the keystroke macro text chosen, "" when cancelled.
using KeystrokePick = std::function<std::string(QWidget* parent)>;

class TransTbl : public QDialog {
  public:
    TransTbl(SetupGlobals& g, AsciiChart& chart, QWidget* parent = nullptr);

    // Sets the kind and the caption and fills the rows from the table (kind 2 also puts the
    // chart's " Ignore" and " Void Record" on top until Edit returns).
    void Fill(TranslationTable which);
    // Fills and shows the editor modally, centred over over (may be null); pick serves
    // kind-0 rows.
    void Edit(TranslationTable which, KeystrokePick pick, QWidget* over = nullptr);
    void SetKeystrokePick(KeystrokePick pick) { pick_ = std::move(pick); }

    int Kind() const { return kind_; }
    // Translates the chosen row; nothing when no row is chosen.
    void TranslateSelected();
    void ResetAll();

    void done(int result) override;  // OK, Escape and the close box all just hide it

  private:
    void FillRows();
    void ShowRow(int code);

    SetupGlobals& g_;
    AsciiChart& chart_;
    KeystrokePick pick_;
    int kind_ = kTransInput;
    QTreeWidget* list_ = nullptr;
};

// The editor of the process, made on first use and kept hidden between openings.
void ShowTranslationEditor(SetupGlobals& g, Messages& messages, TranslationTable which,
                           KeystrokePick pickKeystroke, QWidget* parent);

}  // namespace quorvane
