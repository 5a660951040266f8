// The desktop clipboard through Qt: a link goes on it as plain text plus the MIME type
// application/x-quorvane-link holding "App|Topic!Item". There is no clipboard without a
// QGuiApplication, or on the offscreen and minimal platforms (headless without a display):
// Available() is false then and nothing is put or read.
#pragma once

#include <string>

#include "platform/Clipboard.h"

namespace quorvane {

inline constexpr const char* kLinkMimeType = "application/x-quorvane-link";

class QtClipboard : public Clipboard {
  public:
    // Code-page bytes go on the clipboard as UTF-8.
    void PutLink(const std::string& link, const std::string& text) override;
    bool Available() const override;
    bool HoldsLink() const override;
    // Trailing line ends and NULs that other programs add are dropped.
    std::string LinkText() const override;
};

}  // namespace quorvane
