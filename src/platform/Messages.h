// User-facing messages: a message box in the windowed program, standard error headless.
// Texts are UTF-8 (string-table texts, with configuration bytes converted through the code
// page by the caller). A test fake records every message and answers from a script.
#pragma once

#include <string>

namespace quorvane {

enum class MessageButtons { Ok, OkCancel, RetryCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Question, Exclamation, Critical };
enum class MessageAnswer { Ok, Cancel, Retry, Yes, No };

class Messages {
  public:
    virtual ~Messages() = default;
    // Shows a message and waits for the answer. Headless, the answer is the safe one
    // (Ok, Cancel or No).
    virtual MessageAnswer Show(const std::string& text, const std::string& title,
                               MessageButtons buttons, MessageIcon icon) = 0;
    // The default beep, or the system sound of soundType when it is not 0.
    virtual void Beep(int soundType = 0) = 0;
    // False where nobody can answer (headless): a question then gets the safe answer at once,
    // and callers that would wait for a Retry decide for themselves when to try again.
    virtual bool CanAnswer() const { return true; }
};

}  // namespace quorvane
