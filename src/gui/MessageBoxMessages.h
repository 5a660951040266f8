// Messages shown as Qt message boxes, for the windowed program. The box is modal and its
// buttons speak the interface language (Qt's own translations, loaded at start).
#pragma once

#include <deque>
#include <string>

#include "platform/Messages.h"

namespace quorvane {

class MessageBoxMessages : public Messages {
  public:
    MessageAnswer Show(const std::string& text, const std::string& title, MessageButtons buttons,
                       MessageIcon icon) override;
    void Beep(int soundType = 0) override;

    // Tests answer boxes in advance: while answers are queued, Show records the box (text
    // and title) in Answered() and returns the next answer instead of waiting for a human.
    static void SetNextAnswers(std::deque<MessageAnswer> answers);
    struct Answered {
        std::string text, title;
        MessageButtons buttons;
        MessageIcon icon;
    };
    static const std::deque<Answered>& AnsweredBoxes();
    static void ClearAnswered();
};

}  // namespace quorvane
