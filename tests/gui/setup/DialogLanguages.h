// Shows a dialog in English and in Japanese for the gui tests of the setup dialogs: no text
// may lack a glyph, and each language is saved as a screenshot.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "gui/GuiApp.h"
#include "gui/LocalizeForm.h"
#include "strings/StringTable.h"

namespace quorvane {

// refill puts the run-time texts back after the form's own texts were re-localized.
inline void CheckBothLanguages(QWidget* dialog, const char* name,
                               const std::function<void()>& refill) {
    for (const Language language : {Language::English, Language::Japanese}) {
        SetInterfaceLanguage(language);
        LocalizeForm(dialog);
        refill();
        dialog->show();
        dialog->adjustSize();
        QApplication::processEvents();
        EXPECT_EQ(TextsWithMissingGlyphs(dialog), std::vector<std::string>{}) << name;
        SaveScreenshot(dialog, name);
        dialog->hide();
    }
    SetInterfaceLanguage(Language::English);
    LocalizeForm(dialog);
    refill();
}

}  // namespace quorvane
