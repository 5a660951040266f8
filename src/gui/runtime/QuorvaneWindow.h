// The runtime window: the small window that exists while a configuration is active. It owns
// the desktop session it shows (port, engine, DDE, hot keys), forwards its timer, menus and
// buttons to the session, and shows what the session tells it. What the session says during
// a poll tick is kept and put on the widgets once when the tick ends, however many records
// the tick delivered.
#pragma once

#include <QMainWindow>
#include <QSystemTrayIcon>

#include <array>
#include <bitset>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/DesktopSession.h"
#include "config/SetupGlobals.h"
#include "engine/LocaleInfo.h"
#include "platform/Clipboard.h"
#include "platform/Messages.h"
#include "platform/linux/PortDevices.h"
#include "runtime/DdeCommandHost.h"
#include "runtime/RuntimeView.h"
#include "runtime/VirtualDevice.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace quorvane {

class QuorvaneWindow : public QMainWindow, public RuntimeView {
    Q_OBJECT

  public:
    // g, messages, locale and virtualDevice outlive the window; showAbout shows the About box
    // (the setup window's). Nothing is opened or shown until OpenPort and Activate.
    QuorvaneWindow(SetupGlobals& g, Messages& messages, const LocaleInfo& locale,
                   PortDeviceMap devices, std::function<void()> showAbout,
                   VirtualDevice* virtualDevice = nullptr, QWidget* parent = nullptr);
    ~QuorvaneWindow() override;
    // Publishes over MQTT from the activation on (settings outlive the window; null: not).
    void SetMqtt(const MqttSettings* settings) { mqtt_ = settings; }

    // Opens the port of g (PortIndex) with its line settings; on failure the message has been
    // shown and false is returned.
    bool OpenPort();
    // Closes the handle without touching DTR and RTS (an activation abandoned).
    void ClosePortHandle();
    // The activation set-up, then the window is shown and the 50 ms poll timer runs.
    void Activate();
    DesktopSession& Desktop() { return *desktop_; }

    // One poll tick and the refresh after it, as the timer runs them.
    void Tick();
    // How often the widgets were brought up to date: at most once per tick.
    int RefreshCount() const { return refreshCount_; }
    // Copies go to clipboard instead of the desktop's (for a window without one; tests).
    void SetCopyClipboard(LinkClipboard* clipboard) { copyClipboard_ = clipboard; }
    // The texts again in the interface language now in force, and the layout to fit them.
    void Relocalize();
    // What the tray icon does with an activation: nothing while the window is not minimized.
    void HandleTrayActivation(QSystemTrayIcon::ActivationReason reason);
    bool HiddenToTray() const { return hiddenToTray_; }

  signals:
    // After the unload (placement stored, port closed): the setup window comes back in Test
    // and Virtual Instrument mode; in Normal mode the program ends.
    void Unloaded();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // RuntimeView
    void SetFieldText(int n, const std::string& text) override;
    void SetRecordNumberText(const std::string& text) override;
    void SetDateTimeText(const std::string& text) override;
    void SetDateTimeVisible(bool visible) override;
    void SetCaption(const std::string& caption) override;
    void SetSuspended(bool suspended) override;
    void SetTimedOutputMenu(bool visible, bool enabled) override;
    void SetTimedOutputItemEnabled(bool canChoose) override;
    void SetStringButtons(const std::vector<StringButtonInfo>& visible) override;
    void SetLineButtons(bool dtrVisible, bool breakVisible) override;
    void SetPortLost(bool lost, const SerialError& reason) override;
    void SetPlacement(int left, int top) override;
    bool GetPlacement(int& left, int& top) override;
    void Minimize() override;
    void ShowNormal() override;
    void Closed() override;

    void BuildMenus();
    void BuildControls();
    QLineEdit* MakeBox(const std::string& item);
    // Puts what changed on the widgets now, unless a tick is under way (then AfterTick does).
    void Refresh();
    void AfterTick();
    void Apply();
    void Relayout();
    void ApplyCaption();
    void RecomputeEditMenu();
    void Copy();
    void OpenFromTray();
    void ShowTrayIcon();
    void RemoveTrayIcon();
    double PixelsPerTwip() const;  // the screen's logical DPI, 1440 twips an inch

    SetupGlobals& g_;
    Messages& messages_;
    std::function<void()> showAbout_;
    std::unique_ptr<DesktopSession> desktop_;
    const MqttSettings* mqtt_ = nullptr;
    LinkClipboard* copyClipboard_ = nullptr;

    QWidget* area_ = nullptr;
    QLabel* fieldsLabel_ = nullptr;
    QLabel* recordLabel_ = nullptr;
    QLabel* dateTimeLabel_ = nullptr;
    QLineEdit* recordNumber_ = nullptr;
    QLineEdit* dateTime_ = nullptr;
    std::vector<QLabel*> fieldLabels_;
    std::vector<QLineEdit*> fields_;
    std::vector<QPushButton*> stringButtons_;  // one per visible button, in row order
    QPushButton* dtrButton_ = nullptr;
    QPushButton* breakButton_ = nullptr;

    QMenu* editMenu_ = nullptr;
    QAction* editCopy_ = nullptr;
    std::array<QAction*, 6> linkItems_{};
    QAction* suspendMenu_ = nullptr;
    QAction* resume1_ = nullptr;
    QAction* timedOutput_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* trayMenu_ = nullptr;

    // What the session said, put on the widgets by Apply.
    std::array<std::string, kMaxFields + 1> fieldText_;
    std::bitset<kMaxFields + 1> fieldDirty_;
    std::string recordText_, dateTimeText_, caption_;
    bool recordDirty_ = false, dateTimeDirty_ = false, captionDirty_ = false;
    bool layoutDirty_ = true;
    bool dateTimeVisible_ = false;
    std::vector<StringButtonInfo> buttons_;
    bool dtrVisible_ = false, breakVisible_ = false;
    bool portLost_ = false;

    bool activating_ = false;
    bool shown_ = false;
    bool minimizeRequested_ = false;
    bool hiddenToTray_ = false;
    bool closing_ = false;
    bool destroying_ = false;
    bool unloadedSignalled_ = false;
    int refreshCount_ = 0;
};

}  // namespace quorvane
