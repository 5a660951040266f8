// Records every message and beep; answers from a queue set in advance (Ok when empty).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace quorvane {

class FakeMessages : public Messages {
  public:
    struct Shown {
        std::string text, title;
        MessageButtons buttons;
        MessageIcon icon;
        int beepsBefore;  // beeps heard before this message, counted from the start
    };

    MessageAnswer Show(const std::string& text, const std::string& title, MessageButtons buttons,
                       MessageIcon icon) override {
        shown.push_back({text, title, buttons, icon, beeps});
        if (answers.empty()) return MessageAnswer::Ok;
        const MessageAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    void Beep(int soundType = 0) override {
        ++beeps;
        beepTypes.push_back(soundType);
    }
    bool CanAnswer() const override { return canAnswer; }

    std::vector<Shown> shown;
    std::deque<MessageAnswer> answers;
    int beeps = 0;
    std::vector<int> beepTypes;
    bool canAnswer = true;  // false: headless, nobody to answer a question
};

}  // namespace quorvane
