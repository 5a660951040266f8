// The DDE command language: runs one command text from another program (a DDE Execute, or a
// text arriving over the Command Source link) and answers accepted or refused. A refused
// command has no effect, apart from the invalid-file message of {CONFIG(...)}; output is only
// queued, the poll tick writes it.
#pragma once

#include <string>
#include <string_view>

#include "config/SetupGlobals.h"
#include "delivery/DdeServerItems.h"
#include "engine/LocaleInfo.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "runtime/DdeCommand.h"
#include "runtime/DdeCommandHost.h"

namespace quorvane {

class DdeCommandInterpreter {
  public:
    // Every reference must outlive the interpreter. messages shows the invalid-file message
    // of {CONFIG(...)}; clock and locale give {SENDDATE(...)} its date and names.
    DdeCommandInterpreter(SetupGlobals& g, DdeCommandHost& host, Messages& messages, Clock& clock,
                          const LocaleInfo& locale);

    // True = accepted. text is code-page bytes, one command; the empty command is accepted.
    bool Execute(std::string_view text);

  private:
    bool RunBare(const std::string& matching, bool& accepted);
    bool RunWithArgument(const DdeCommandText& command, bool& accepted);

    bool TimerSwitch(bool enable);
    bool LineCommand(void (DdeCommandHost::*action)());
    bool LinkItem(LinkMenuItem item);
    bool CopyItem(const DdeItemId& id);

    bool SendCode(const std::string& argument);
    bool SendDate(const std::string& argument);
    bool SendFile(const std::string& argument);
    bool Push(const std::string& name);
    bool Config(const std::string& path);
    bool CopyField(const std::string& argument);
    bool TimerInterval(const std::string& argument);

    SetupGlobals& g_;
    DdeCommandHost& host_;
    Messages& messages_;
    Clock& clock_;
    const LocaleInfo& locale_;
};

}  // namespace quorvane
