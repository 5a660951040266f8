// What the runtime session shows: the runtime window implements it over its widgets, the
// headless runner over standard error. Every call says what changed; a view keeps no rules
// of its own. Captions are UTF-8; field, record number, date/time and button texts are
// code-page bytes as the configuration and the locale record hold them. Views ignore what
// they cannot show, so every call has an empty default.
#pragma once

#include <string>
#include <vector>

#include "platform/SerialPort.h"

namespace quorvane {

struct StringButtonInfo {
    int Index = 1;        // 1..20: the number PressStringButton takes
    std::string Caption;  // ButtonCaption[Index]
};

class RuntimeView {
  public:
    virtual ~RuntimeView() = default;

    // The Field(n) boxes (n = 1..NumberOfFields) and the RecordNumber box.
    virtual void SetFieldText(int /*n*/, const std::string& /*text*/) {}
    virtual void SetRecordNumberText(const std::string& /*text*/) {}
    // The DateTime box and whether it and its label are shown.
    virtual void SetDateTimeText(const std::string& /*text*/) {}
    virtual void SetDateTimeVisible(bool /*visible*/) {}
    // The window caption (also the tray tip).
    virtual void SetCaption(const std::string& /*caption*/) {}
    // Suspended: SuspendMenu reads "Re&sume Quorvane" and Resume1 is shown; otherwise
    // "&Suspend Quorvane" with Resume1 hidden.
    virtual void SetSuspended(bool /*suspended*/) {}
    // TOutCtrl: hidden when the timer has no interval; its caption follows enabled
    // ("&Disable Timed Output" while timed output is on, "&Enable Timed Output" while off).
    virtual void SetTimedOutputMenu(bool /*visible*/, bool /*enabled*/) {}
    // Whether TOutCtrl can be chosen (off while it would transmit an empty TimerString).
    virtual void SetTimedOutputItemEnabled(bool /*canChoose*/) {}
    // The string buttons that have a string, in row order; the others are hidden.
    virtual void SetStringButtons(const std::vector<StringButtonInfo>& /*visible*/) {}
    // DTRToggleButton and BreakButton.
    virtual void SetLineButtons(bool /*dtrVisible*/, bool /*breakVisible*/) {}
    // The device went away (lost) or is back; reason says why it was lost.
    virtual void SetPortLost(bool /*lost*/, const SerialError& /*reason*/) {}
    // Window placement in twips, read at activation.
    virtual void SetPlacement(int /*left*/, int /*top*/) {}
    // The placement to store at unload; false when there is no window or it is minimized.
    virtual bool GetPlacement(int& /*left*/, int& /*top*/) { return false; }
    // MinimizeOnActivation, and {APPMINIMIZE}.
    virtual void Minimize() {}
    // Shows the window, restoring it when minimized, without activating it ({APPNORMAL}).
    virtual void ShowNormal() {}
    // The session has unloaded: the window closes, the headless runner ends.
    virtual void Closed() {}
};

}  // namespace quorvane
