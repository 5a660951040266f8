// The desktop clipboard as the DDE links use it: besides putting a link (LinkClipboard), the
// paste items read one back. A link is "App|Topic!Item" in the link format, with its text as
// plain text beside it. Texts are code-page bytes.
#pragma once

#include <string>

namespace quorvane {

// What the DDE commands need of the clipboard: putting a link.
class LinkClipboard {
  public:
    virtual ~LinkClipboard() = default;
    // Clears the clipboard, then puts link ("App|Topic!Item") in the link format and text as
    // plain text. Errors are ignored.
    virtual void PutLink(const std::string& link, const std::string& text) = 0;
};

class Clipboard : public LinkClipboard {
  public:
    // False when there is no desktop clipboard (headless without a display): nothing may be
    // put or read then.
    virtual bool Available() const = 0;
    // True when the clipboard holds data in the link format and also plain text.
    virtual bool HoldsLink() const = 0;
    // The data in the link format; empty when there is none.
    virtual std::string LinkText() const = 0;
};

}  // namespace quorvane
