#include "setup/StderrMessages.h"

namespace quorvane {

StderrMessages::StderrMessages(std::ostream& out) : out_(out) {}

MessageAnswer StderrMessages::Show(const std::string& text, const std::string& title,
                                   MessageButtons buttons, MessageIcon /*icon*/) {
    // Message texts use CR as their line break; a terminal wants LF.
    std::string body = text;
    for (char& c : body) {
        if (c == '\r') c = '\n';
    }
    if (!title.empty()) out_ << title << ": ";
    out_ << body << '\n';
    out_.flush();
    switch (buttons) {
        case MessageButtons::OkCancel:
        case MessageButtons::RetryCancel:
        case MessageButtons::YesNoCancel:
            return MessageAnswer::Cancel;
        case MessageButtons::YesNo:
            return MessageAnswer::No;
        case MessageButtons::Ok:
            break;
    }
    return MessageAnswer::Ok;
}

void StderrMessages::Beep(int /*soundType*/) {
    out_ << '\a';
    out_.flush();
}

}  // namespace quorvane
