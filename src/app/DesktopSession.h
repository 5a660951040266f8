// One configuration running on this desktop: the runtime session over the serial port (or the
// virtual device), with its log, its DDE server, delivery client and links on the session
// bus, the keystrokes and hot keys of the X display, the clipboard, and the command
// interpreter that DDE commands, command links and hot keys go through. Everything is built
// once, here, and wired at construction; the headless runner and the runtime window each run
// one, given their view and their way of showing messages.
#pragma once

#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/DesktopServices.h"
#include "app/MqttPublisher.h"
#include "config/SetupGlobals.h"
#include "engine/FileLogSink.h"
#include "engine/LocaleInfo.h"
#include "platform/Messages.h"
#include "platform/linux/DbusDdeClient.h"
#include "platform/linux/DbusDdeLink.h"
#include "platform/linux/DbusDdeServer.h"
#include "platform/linux/PortDevices.h"
#include "platform/linux/PosixSerialPort.h"
#include "platform/linux/QtClipboard.h"
#include "platform/linux/QtSettingsStore.h"
#include "platform/linux/SteadyClock.h"
#include "runtime/BusDdeHooks.h"
#include "runtime/DdeCommandInterpreter.h"
#include "runtime/DdeHooks.h"
#include "runtime/DdeLinks.h"
#include "runtime/DdeLinksMenu.h"
#include "runtime/NullDeliveryServices.h"
#include "runtime/RuntimeSession.h"
#include "runtime/RuntimeView.h"
#include "runtime/SessionCommandHost.h"
#include "runtime/VirtualDevice.h"

namespace quorvane {

class DesktopSession {
  public:
    // g, view, messages, locale and virtualDevice outlive the session; devices names the
    // device files of the ports; virtualDevice is the byte source of Virtual Instrument mode
    // (null where there is none). Needs a Qt application. The port is not opened here.
    DesktopSession(SetupGlobals& g, RuntimeView& view, Messages& messages, const LocaleInfo& locale,
                   PortDeviceMap devices, VirtualDevice* virtualDevice = nullptr);
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    // Activates the configuration in g (the port already open in Normal mode). The first
    // activation without a session bus says that the DDE features are missing.
    void Activate();

    // Publishes every delivered record over MQTT from now on (after Activate: the queue
    // belongs to the served topic); commands from the broker go to the command interpreter.
    // False, with problems saying why, when the queue or the password file cannot be opened.
    // Once per session; publishing stops with the session ("offline" said).
    bool StartMqtt(const MqttSettings& settings, std::vector<std::string>& problems);
    bool Publishing() const { return mqtt_ != nullptr; }

    // The 50 ms poll timer: each timeout runs one PollTick (the session skips a tick that
    // falls due inside another), then afterTick when it is given.
    void StartPolling(std::function<void()> afterTick = {});
    void StopPolling();
    bool Polling() const { return pollTimer_.isActive(); }

    RuntimeSession& Session() { return session_; }
    SerialPort& Port() { return port_; }
    DdeCommandInterpreter& Commands() { return interpreter_; }
    bool BusAvailable() const { return bus_; }
    const DesktopServices& Desktop() const { return desktop_; }
    // The Edit menu's link items, and the clipboard copies go to.
    LinkMenuHandler& LinksMenu() { return linksMenu_; }
    Clipboard& DesktopClipboard() { return clipboard_; }

  private:
    Messages& messages_;
    PortDeviceMap devices_;
    PosixSerialPort port_;
    SteadyClock clock_;
    FileLogSink log_;
    QtSettingsStore settings_;
    DesktopServices desktop_;  // its hot keys act through commandHost_

    // The DDE features need the session bus; without one the program runs without them.
    const bool bus_;
    bool noBusShown_ = false;
    NullDdeClient noDdeClient_;
    NullDdeHooks noDdeHooks_;
    DbusDdeServer ddeServer_;
    DbusDdeClient ddeClient_;
    DbusDdeLink linkClient_;
    // Without an X display there is no clipboard: copies are accepted and change nothing,
    // pastes are disabled.
    QtClipboard clipboard_;
    DdeLinks links_;
    DdeLinksMenu linksMenu_;
    BusDdeHooks busHooks_;

    RuntimeSession session_;
    SessionCommandHost commandHost_;
    DdeCommandInterpreter interpreter_;

    QTimer pollTimer_;
    std::function<void()> afterTick_;
    std::unique_ptr<MqttPublisher> mqtt_;
};

}  // namespace quorvane
