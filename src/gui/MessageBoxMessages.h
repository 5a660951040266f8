// Messages shown as Qt message boxes, for the windowed program.
#pragma once

#include "platform/Messages.h"

namespace quorvane {

class MessageBoxMessages : public Messages {
  public:
    MessageAnswer Show(const std::string& text, const std::string& title, MessageButtons buttons,
                       MessageIcon icon) override;
    void Beep(int soundType = 0) override;
};

}  // namespace quorvane
