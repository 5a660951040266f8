// Configuration bytes at the widget edge: what a widget shows is the code page's text in
// Unicode, and what it holds goes back to the code page's bytes.
#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "config/CodePage.h"

namespace quorvane {

inline QString FromCodePage(std::string_view bytes) {
    return QString::fromStdString(CodePage::ToUtf8(bytes));
}

// A character the code page lacks becomes '?' and clears *lossless when it is given.
inline std::string ToCodePage(const QString& text, bool* lossless = nullptr) {
    return CodePage::FromUtf8(text.toStdString(), lossless);
}

}  // namespace quorvane
