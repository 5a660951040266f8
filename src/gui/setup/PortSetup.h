// The port settings dialog: connector, line options, driver buffer sizes, and the device that
// stands behind the chosen connector on this machine. Edits SetupGlobals in place on OK; the
// device choice goes to the per-user store, not the configuration.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "config/SetupGlobals.h"
#include "platform/Messages.h"
#include "platform/linux/PortDevices.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace quorvane {

class PortSetup : public QDialog {
    Q_OBJECT
  public:
    PortSetup(SetupGlobals& g, Messages& messages, PortDeviceMap& devices,
              QWidget* parent = nullptr);

    // Fills the controls from the settings, runs modally; true when OK stored.
    bool Edit();
    // The filling alone (Edit does it first); the dialog is kept between openings.
    void Fill();

    // Where the list of present serial devices comes from (tests hand in their own).
    using DeviceLister = std::function<std::vector<SerialDeviceInfo>()>;
    void SetDeviceLister(DeviceLister lister) { lister_ = std::move(lister); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildLayout();
    void OnBufferEdited(QLineEdit* box, QString& remembered, const QString& text);
    void OnOk();
    void ListDevices();
    void ShowDeviceOf(int portIndex);
    void KeepDeviceEdit();
    void StoreDeviceChoices();

    SetupGlobals& g_;
    Messages& messages_;
    PortDeviceMap& devices_;
    DeviceLister lister_;

    QListWidget* portList_ = nullptr;
    QButtonGroup* baud_ = nullptr;
    QButtonGroup* parity_ = nullptr;
    QButtonGroup* dataBits_ = nullptr;
    QButtonGroup* stopBits_ = nullptr;
    QButtonGroup* flowCtrl_ = nullptr;
    QLineEdit* buffSize_ = nullptr;
    QLineEdit* outBuffSize_ = nullptr;
    QPushButton* okButton_ = nullptr;

    QLabel* deviceLabel_ = nullptr;
    QLineEdit* devicePath_ = nullptr;
    QLabel* deviceDefault_ = nullptr;
    QLabel* deviceOverride_ = nullptr;
    QListWidget* deviceList_ = nullptr;

    // Each buffer box's text before the last edit, put back when an edit is refused.
    QString inputRemembered_, outputRemembered_;
    // Device paths edited during this opening, by port index; stored on OK.
    std::map<int, QString> editedDevices_;
    int devicePort_ = -1;  // the port whose device the path box shows
};

}  // namespace quorvane
