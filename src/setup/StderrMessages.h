// Messages written to standard error, for the headless runner and the command-line tools.
// Questions get the safe answer: Cancel for Retry/Cancel, No for Yes/No, Ok otherwise.
#pragma once

#include <ostream>

#include "platform/Messages.h"

namespace quorvane {

class StderrMessages : public Messages {
  public:
    explicit StderrMessages(std::ostream& out);
    MessageAnswer Show(const std::string& text, const std::string& title, MessageButtons buttons,
                       MessageIcon icon) override;
    void Beep(int soundType = 0) override;
    bool CanAnswer() const override { return false; }

  private:
    std::ostream& out_;
};

}  // namespace quorvane
