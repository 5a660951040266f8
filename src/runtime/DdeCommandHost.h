// What the DDE command interpreter asks of the runtime window and session. Settings
// (OutputQueue, TimerString, TimerInterval, StripCrLfFromBuffer, ButtonCaption/ButtonString,
// ConfigFileName) the interpreter changes directly in SetupGlobals; everything here is window
// or session state. The session implements it; texts are code-page bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Clipboard.h"

namespace quorvane {

// The six DDE link items of the Edit menu.
enum class LinkMenuItem {
    PasteCommand,      // DDEPaste
    RefreshCommand,    // DDERefresh
    TerminateCommand,  // DDEKill
    PasteBuffer,       // DDEPasteBuffer
    RefreshBuffer,     // DDERefreshBuffer
    TerminateBuffer,   // DDEKillBuffer
};

class DdeCommandHost {
  public:
    virtual ~DdeCommandHost() = default;

    // The standard system beep.
    virtual void Beep() = 0;

    // --- Mode and port ---
    // Virtual Instrument mode: no port, so the port lines cannot be driven.
    virtual bool IsVirtualInstrument() const = 0;
    // PortIndex of the port open now (port number minus 1).
    virtual int16_t ActivePortIndex() const = 0;

    // --- Timed output ---
    // TimedOutputFlags: bit 0 timed output enabled now, bits 1..3 the timer action.
    virtual int16_t TimedOutputFlags() const = 0;
    // Exactly as the TOutCtrl menu item: flips bit 0 and sets the item's caption.
    virtual void ToggleTimedOutput() = 0;
    // TimedOutputBase = 0: the next action comes one full interval from the next tick.
    virtual void RestartTimedOutputSchedule() = 0;
    // Sets TOutCtrl: the caption that fits timedOutputEnabled ("&Disable Timed Output" when
    // true, "&Enable Timed Output" when false) and whether the item can be chosen. An item
    // hidden at activation stays hidden.
    virtual void SetTimedOutputMenu(bool timedOutputEnabled, bool itemEnabled) = 0;

    // --- Suspension and reset ---
    virtual bool IsSuspended() const = 0;
    virtual void Suspend() = 0;
    virtual void Resume() = 0;
    virtual void ResumeForOneRecord() = 0;
    // The Reset of the Quit menu.
    virtual void Reset() = 0;
    // Empties the boxes Field(1..N); pending field values and the record number stay.
    virtual void ClearFieldBoxes() = 0;

    // --- The bound of the output queue ---
    // The bytes a send may still add to OutputQueue; a send longer than this is refused and
    // queues nothing. The session bounds the queue, more tightly while the device is lost.
    virtual size_t SendRoom() const { return SIZE_MAX; }
    // A send (a hot key, a command) was refused for want of room: the session says why, once.
    virtual void SendDropped() {}

    // --- Port lines (never called in Virtual Instrument mode) ---
    virtual void StartBreak() = 0;  // BREAK on, cleared by the poll tick countdown
    virtual void PulseDtr() = 0;    // DTR low for 155 ms, then high again
    virtual void SetDtr(bool on) = 0;
    virtual void SetRts(bool on) = 0;

    // --- Window ---
    // Shows the window, restoring it when minimized, without activating it.
    virtual void ShowNormal() = 0;
    // Minimizes the window (it then hides behind its tray icon).
    virtual void Minimize() = 0;
    // ExitRequest = -1: the poll loop quits on the second idle tick after this.
    virtual void RequestExit() = 0;

    // --- DDE links ---
    // Recomputes the enabled state of the six link items, as when the Edit menu opens.
    virtual void RecomputeEditMenu() = 0;
    virtual bool IsLinkItemEnabled(LinkMenuItem item) const = 0;
    // Performs the menu item, as its click does.
    virtual void PerformLinkItem(LinkMenuItem item) = 0;

    // --- Clipboard and items ---
    // The clipboard, or nullptr when there is none (headless without a display).
    virtual LinkClipboard* Clipboard() = 0;
    // The DDE topic the window serves now.
    virtual std::string DdeTopic() const = 0;
    // The text of the box behind a DDE item: "DateTime", "RecordNumber" or "Field(n)".
    virtual std::string ItemText(const std::string& item) const = 0;

    // --- Configuration ---
    // Reads the configuration named by ConfigFileName (already set by the caller). When the
    // read fails, returns false with every setting and the window as they were. Otherwise
    // removes the extra field boxes and string buttons, closes the port handle without
    // changing the lines and opens it again with the new settings (a failure there shows
    // its message and goes on), repeats the activation set-up with the DDE topic kept, and
    // returns true.
    virtual bool ReloadConfiguration() = 0;
};

}  // namespace quorvane
