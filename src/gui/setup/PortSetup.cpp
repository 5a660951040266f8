#include "gui/setup/PortSetup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "gui/DialogButtons.h"
#include "gui/LocalizeForm.h"
#include "setup/PortSetupRules.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

constexpr int kPathRole = Qt::UserRole;

// An option group: a titled box of radio buttons whose ids are the option indexes.
QButtonGroup* AddOptionGroup(QWidget* parent, QBoxLayout* into, const char* name, int titleId,
                             const std::vector<std::pair<QString, int>>& options, int columns) {
    auto* box = new QGroupBox(parent);
    box->setObjectName(name);
    SetStringId(box, titleId);
    auto* grid = new QGridLayout(box);
    auto* group = new QButtonGroup(box);
    const int rows = (static_cast<int>(options.size()) + columns - 1) / columns;
    for (int i = 0; i < static_cast<int>(options.size()); ++i) {
        auto* radio = new QRadioButton(options[i].first, box);
        radio->setObjectName(QString("%1_%2").arg(name).arg(i));
        if (options[i].second > 0) SetStringId(radio, options[i].second);
        group->addButton(radio, i);
        grid->addWidget(radio, i % rows, i / rows);
    }
    into->addWidget(box);
    return group;
}

std::vector<std::pair<QString, int>> Numbers(const auto& captions) {
    std::vector<std::pair<QString, int>> options;
    for (const char* caption : captions) options.emplace_back(QString::fromLatin1(caption), 0);
    return options;
}

std::vector<std::pair<QString, int>> TableTexts(int firstId, int count) {
    std::vector<std::pair<QString, int>> options;
    for (int i = 0; i < count; ++i) options.emplace_back(QString(), firstId + i);
    return options;
}

void Select(QButtonGroup* group, int index) {
    if (QAbstractButton* button = group->button(index)) button->setChecked(true);
}

int Selected(QButtonGroup* group, int fallback) {
    const int id = group->checkedId();
    return id < 0 ? fallback : id;
}

std::string PortNameOf(int portIndex) {
    return ConnectorName(portIndex);
}

}  // namespace

PortSetup::PortSetup(SetupGlobals& g, Messages& messages, PortDeviceMap& devices, QWidget* parent)
    : QDialog(parent), g_(g), messages_(messages), devices_(devices), lister_([] {
          return ListSerialDevices();
      }) {
    setObjectName("PortSetup");
    SetStringId(this, kStrPortSetupTitle);
    BuildLayout();
    LocalizeForm(this);
    // The connector list is filled once; every opening only selects.
    for (int i = 0; i < kPortListCount; ++i)
        portList_->addItem(QString::fromStdString(ConnectorName(i)));
    portList_->setCurrentRow(0);
}

void PortSetup::BuildLayout() {
    auto* top = new QVBoxLayout(this);
    auto* upper = new QHBoxLayout;
    top->addLayout(upper);

    // Connector and the device behind it.
    auto* portColumn = new QVBoxLayout;
    upper->addLayout(portColumn);
    auto* portLabel = new QLabel(this);
    SetStringId(portLabel, kStrPortSetupConnector);
    portList_ = new QListWidget(this);
    portList_->setObjectName("PortList");
    portList_->setMaximumWidth(fontMetrics().averageCharWidth() * 14);
    portLabel->setBuddy(portList_);
    portColumn->addWidget(portLabel);
    portColumn->addWidget(portList_, 1);

    auto* deviceColumn = new QVBoxLayout;
    upper->addLayout(deviceColumn, 1);
    deviceLabel_ = new QLabel(this);
    devicePath_ = new QLineEdit(this);
    devicePath_->setObjectName("DevicePath");
    devicePath_->setMinimumWidth(fontMetrics().averageCharWidth() * 44);
    deviceLabel_->setBuddy(devicePath_);
    deviceDefault_ = new QLabel(this);
    deviceOverride_ = new QLabel(this);
    deviceOverride_->setWordWrap(true);
    auto* presentLabel = new QLabel(this);
    SetStringId(presentLabel, kStrPortDevicesPresent);
    deviceList_ = new QListWidget(this);
    deviceList_->setObjectName("DeviceList");
    auto* refresh = new QPushButton(this);
    refresh->setObjectName("DeviceRefresh");
    refresh->setAutoDefault(false);
    SetStringId(refresh, kStrPortDevicesRefresh);
    deviceColumn->addWidget(deviceLabel_);
    deviceColumn->addWidget(devicePath_);
    deviceColumn->addWidget(deviceDefault_);
    deviceColumn->addWidget(deviceOverride_);
    deviceColumn->addWidget(presentLabel);
    deviceColumn->addWidget(deviceList_, 1);
    auto* refreshRow = new QHBoxLayout;
    refreshRow->addStretch(1);
    refreshRow->addWidget(refresh);
    deviceColumn->addLayout(refreshRow);

    // Line options.
    auto* options = new QHBoxLayout;
    top->addLayout(options);
    auto* left = new QVBoxLayout;
    auto* middle = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    options->addLayout(left);
    options->addLayout(middle);
    options->addLayout(right);
    baud_ = AddOptionGroup(this, left, "Baud", kStrPortSetupBaud, Numbers(kBaudCaptions), 2);
    left->addStretch(1);
    parity_ = AddOptionGroup(this, middle, "Parity", kStrPortSetupParity,
                             TableTexts(kFirstParityStringId, kParityOptions), 1);
    middle->addStretch(1);
    dataBits_ = AddOptionGroup(this, right, "Databits", kStrPortSetupDataBits,
                               Numbers(kDataBitsCaptions), 4);
    stopBits_ = AddOptionGroup(this, right, "StopBits", kStrPortSetupStopBits,
                               Numbers(kStopBitsCaptions), 3);
    flowCtrl_ = AddOptionGroup(this, right, "FlowCtrl", kStrPortSetupFlowControl,
                               TableTexts(kFirstFlowStringId, kFlowOptions), 2);
    right->addStretch(1);

    // Buffer sizes.
    auto* buffers = new QGridLayout;
    top->addLayout(buffers);
    auto* inLabel = new QLabel(this);
    SetStringId(inLabel, kStrPortSetupInputBuffer);
    buffSize_ = new QLineEdit(this);
    buffSize_->setObjectName("BuffSize");
    inLabel->setBuddy(buffSize_);
    auto* outLabel = new QLabel(this);
    SetStringId(outLabel, kStrPortSetupOutputBuffer);
    outBuffSize_ = new QLineEdit(this);
    outBuffSize_->setObjectName("OutBuffSize");
    outLabel->setBuddy(outBuffSize_);
    buffers->addWidget(inLabel, 0, 0);
    buffers->addWidget(buffSize_, 0, 1);
    buffers->addWidget(outLabel, 1, 0);
    buffers->addWidget(outBuffSize_, 1, 1);
    buffers->setColumnStretch(2, 1);
    for (QLineEdit* box : {buffSize_, outBuffSize_}) {
        box->setMaximumWidth(fontMetrics().averageCharWidth() * 14);
        box->installEventFilter(this);
    }

    const OkCancelButtons row = AddOkCancelButtons(this, top, kStrPortSetupOk, kStrPortSetupCancel);
    okButton_ = row.Ok;
    QPushButton* cancel = row.Cancel;

    connect(okButton_, &QPushButton::clicked, this, &PortSetup::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(buffSize_, &QLineEdit::textEdited, this,
            [this](const QString& text) { OnBufferEdited(buffSize_, inputRemembered_, text); });
    connect(outBuffSize_, &QLineEdit::textEdited, this,
            [this](const QString& text) { OnBufferEdited(outBuffSize_, outputRemembered_, text); });
    connect(portList_, &QListWidget::currentRowChanged, this, [this](int row) {
        KeepDeviceEdit();
        ShowDeviceOf(row);
    });
    connect(deviceList_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item && item->data(kPathRole).isValid())
            devicePath_->setText(item->data(kPathRole).toString());
    });
    connect(refresh, &QPushButton::clicked, this, &PortSetup::ListDevices);
}

bool PortSetup::Edit() {
    Fill();
    return exec() == QDialog::Accepted;
}

void PortSetup::Fill() {
    const PortSetupChoice c = PortSetupChoiceFrom(g_);
    Select(baud_, c.BaudRateIndex);
    Select(parity_, c.Parity);
    Select(dataBits_, c.DataBitsIndex);
    Select(stopBits_, c.StopBits);
    Select(flowCtrl_, c.FlowControl);
    inputRemembered_ = QString::fromStdString(c.InputBufferText);
    outputRemembered_ = QString::fromStdString(c.OutputBufferText);
    buffSize_->setText(inputRemembered_);
    outBuffSize_->setText(outputRemembered_);
    editedDevices_.clear();
    devicePort_ = -1;
    portList_->setCurrentRow(c.PortIndex);
    ShowDeviceOf(c.PortIndex);
    ListDevices();
    portList_->setFocus();
}

bool PortSetup::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == buffSize_ || watched == outBuffSize_) && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        // Control characters (Enter, Escape, Tab, editing shortcuts) keep their usual meaning;
        // only characters that would be typed into the box are judged.
        if (!text.isEmpty() &&
            (text.front() == '\b' || (text.front() >= ' ' && text.front() != QChar(0x7f)))) {
            if (!IsBufferBoxCharacter(text.front().unicode())) {
                messages_.Beep();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PortSetup::OnBufferEdited(QLineEdit* box, QString& remembered, const QString& text) {
    switch (CheckBufferEdit(text.toStdString())) {
        case BufferEdit::Keep:
            remembered = text;
            return;
        case BufferEdit::NotDigits:
            messages_.Beep();
            box->setText(remembered);
            return;
        case BufferEdit::TooLarge:
            messages_.Beep();
            messages_.Show(LoadString(kStrBufferSizeRange), LoadString(kStrInvalidInput),
                           MessageButtons::Ok, MessageIcon::Exclamation);
            box->setText(remembered);
            box->setCursorPosition(CaretAfterRestore(remembered.toStdString()));
            return;
    }
}

void PortSetup::OnOk() {
    PortSetupChoice c;
    c.PortIndex = portList_->currentRow() < 0 ? g_.PortIndex : portList_->currentRow();
    c.BaudRateIndex = Selected(baud_, g_.BaudRateIndex);
    c.Parity = Selected(parity_, g_.Parity);
    c.DataBitsIndex = Selected(dataBits_, g_.DataBitsIndex);
    c.StopBits = Selected(stopBits_, g_.StopBits);
    c.FlowControl = Selected(flowCtrl_, g_.FlowControl);
    c.InputBufferText = buffSize_->text().toStdString();
    c.OutputBufferText = outBuffSize_->text().toStdString();
    const PortSetupResult result = ApplyPortSetup(g_, c);
    if (result != PortSetupResult::Stored) {
        QLineEdit* box = result == PortSetupResult::InputBufferInvalid ? buffSize_ : outBuffSize_;
        messages_.Beep();
        messages_.Show(LoadString(kStrBufferSizeRange), LoadString(kStrInvalidInput),
                       MessageButtons::Ok, MessageIcon::Exclamation);
        box->setFocus();
        return;
    }
    StoreDeviceChoices();
    accept();
}

void PortSetup::ListDevices() {
    // Refilling must not count as choosing a device.
    const QSignalBlocker quiet(deviceList_);
    deviceList_->clear();
    const std::vector<SerialDeviceInfo> found =
        lister_ ? lister_() : std::vector<SerialDeviceInfo>{};
    for (const SerialDeviceInfo& device : found) {
        // The stable by-id names are long: the list shows the name, the tooltip the path.
        const QString path = QString::fromStdString(device.Path);
        QString text = path.section('/', -1);
        if (!device.Description.empty())
            text += "  (" + QString::fromStdString(device.Description) + ")";
        auto* item = new QListWidgetItem(text, deviceList_);
        item->setData(kPathRole, path);
        item->setToolTip(path);
    }
    if (found.empty()) {
        auto* item = new QListWidgetItem(UiText(kStrPortNoDevices), deviceList_);
        item->setFlags(Qt::NoItemFlags);
    }
}

void PortSetup::ShowDeviceOf(int portIndex) {
    if (portIndex < 0 || portIndex == devicePort_) return;
    devicePort_ = portIndex;
    const std::string name = PortNameOf(portIndex);
    deviceLabel_->setText(QString::fromStdString(LoadString(kStrPortDeviceFor, {name})));
    const auto edited = editedDevices_.find(portIndex);
    devicePath_->setText(edited != editedDevices_.end()
                             ? edited->second
                             : QString::fromStdString(devices_.StoredDevicePath(name)));
    const std::string fallback = DefaultDevicePath(name);
    deviceDefault_->setText(QString::fromStdString(LoadString(kStrPortDeviceDefault, {fallback})));
    devicePath_->setPlaceholderText(QString::fromStdString(fallback));
    const auto over = devices_.Overrides().find(name);
    deviceOverride_->setVisible(over != devices_.Overrides().end());
    if (over != devices_.Overrides().end())
        deviceOverride_->setText(
            QString::fromStdString(LoadString(kStrPortDeviceOverride, {over->second})));
}

void PortSetup::KeepDeviceEdit() {
    if (devicePort_ >= 0) editedDevices_[devicePort_] = devicePath_->text();
}

void PortSetup::StoreDeviceChoices() {
    KeepDeviceEdit();
    for (const auto& [portIndex, path] : editedDevices_) {
        const std::string name = PortNameOf(portIndex);
        const std::string chosen = path.trimmed().toStdString();
        if (chosen == devices_.StoredDevicePath(name)) continue;
        if (!devices_.StoreDevicePath(name, chosen))
            messages_.Show(LoadString(kStrPortDeviceNotSaved, {name}),
                           LoadString(kStrQuorvaneError), MessageButtons::Ok,
                           MessageIcon::Exclamation);
    }
}

}  // namespace quorvane
