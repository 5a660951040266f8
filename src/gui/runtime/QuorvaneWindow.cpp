#include "gui/runtime/QuorvaneWindow.h"
#include "gui/CodePageText.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "config/CodePage.h"
#include "gui/LocalizeForm.h"
#include "runtime/RuntimeLayout.h"
#include "serial/PortDriver.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

const char* const kItemProperty = "quorvaneItem";

// The Windows virtual-key code of a Qt key, for the keys the read-only boxes care about;
// 0 for every other key.
int VirtualKeyOf(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 0x09;
        case Qt::Key_End:
            return 0x23;
        case Qt::Key_Home:
            return 0x24;
        case Qt::Key_Left:
            return 0x25;
        case Qt::Key_Up:
            return 0x26;
        case Qt::Key_Right:
            return 0x27;
        case Qt::Key_Down:
            return 0x28;
        case Qt::Key_F1:
            return 0x70;
        case Qt::Key_F4:
            return 0x73;
        default:
            return 0;
    }
}

// An item whose click runs action.
QAction* AddItem(QWidget* menu, QObject* context, std::function<void()> action) {
    auto* item = new QAction(menu);
    menu->addAction(item);
    QObject::connect(item, &QAction::triggered, context, [action] { action(); });
    return item;
}

void SetCaptionId(QAction* action, int id) {
    SetStringId(action, id);
    action->setText(UiText(id));
}

constexpr std::array<LinkMenuItem, 6> kLinkItems = {
    LinkMenuItem::PasteCommand, LinkMenuItem::RefreshCommand, LinkMenuItem::TerminateCommand,
    LinkMenuItem::PasteBuffer,  LinkMenuItem::RefreshBuffer,  LinkMenuItem::TerminateBuffer};
constexpr std::array<int, 6> kLinkItemIds = {kStrPasteCommandLink,     kStrRefreshCommandLink,
                                             kStrTerminateCommandLink, kStrPasteBufferLink,
                                             kStrRefreshBufferLink,    kStrTerminateBufferLink};
const std::array<const char*, 6> kLinkItemNames = {
    "DDEPaste", "DDERefresh", "DDEKill", "DDEPasteBuffer", "DDERefreshBuffer", "DDEKillBuffer"};

}  // namespace

QuorvaneWindow::QuorvaneWindow(SetupGlobals& g, Messages& messages, const LocaleInfo& locale,
                               PortDeviceMap devices, std::function<void()> showAbout,
                               VirtualDevice* virtualDevice, QWidget* parent)
    : QMainWindow(parent), g_(g), messages_(messages), showAbout_(std::move(showAbout)) {
    setObjectName("QuorvaneWindow");
    if (windowIcon().isNull()) setWindowIcon(style()->standardIcon(QStyle::SP_ComputerIcon));
    BuildMenus();
    BuildControls();
    // The window keeps the size its controls give it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    LocalizeForm(this);
    desktop_ = std::make_unique<DesktopSession>(g, *this, messages, locale, std::move(devices),
                                                virtualDevice);
}

QuorvaneWindow::~QuorvaneWindow() {
    destroying_ = true;
    if (desktop_) {
        desktop_->StopPolling();
        desktop_->Session().Unload();  // the port is never left open behind a window
    }
    RemoveTrayIcon();
}

void QuorvaneWindow::BuildMenus() {
    editMenu_ = menuBar()->addMenu(QString());
    editMenu_->setObjectName("EditMenu");
    SetStringId(editMenu_, kStrEditMenu);
    editCopy_ = AddItem(editMenu_, this, [this] { Copy(); });
    editCopy_->setObjectName("EditCopy");
    SetStringId(editCopy_, kStrEditCopy);
    editCopy_->setEnabled(false);  // until a box has the focus
    for (size_t i = 0; i < kLinkItems.size(); ++i) {
        if (i == 0 || i == 3) editMenu_->addSeparator();
        const LinkMenuItem item = kLinkItems[i];
        linkItems_[i] =
            AddItem(editMenu_, this, [this, item] { desktop_->LinksMenu().PerformLinkItem(item); });
        linkItems_[i]->setObjectName(kLinkItemNames[i]);
        SetStringId(linkItems_[i], kLinkItemIds[i]);
    }
    connect(editMenu_, &QMenu::aboutToShow, this, [this] { RecomputeEditMenu(); });

    QMenu* quit = menuBar()->addMenu(QString());
    quit->setObjectName("QuitMenu");
    SetStringId(quit, kStrQuitMenu);
    suspendMenu_ = AddItem(quit, this, [this] {
        desktop_->Session().ToggleSuspend();
        Refresh();
    });
    suspendMenu_->setObjectName("SuspendMenu");
    SetStringId(suspendMenu_, kStrSuspendQuorvane);
    resume1_ = AddItem(quit, this, [this] {
        desktop_->Session().ResumeForOneRecord();
        Refresh();
    });
    resume1_->setObjectName("Resume1");
    SetStringId(resume1_, kStrResumeOneRecord);
    resume1_->setVisible(false);
    QAction* reset = AddItem(quit, this, [this] {
        desktop_->Session().Reset();
        Refresh();
    });
    reset->setObjectName("MReset");
    SetStringId(reset, kStrResetQuorvane);
    quit->addSeparator();
    timedOutput_ = AddItem(quit, this, [this] {
        desktop_->Session().ToggleTimedOutput();
        Refresh();
    });
    timedOutput_->setObjectName("TOutCtrl");
    SetStringId(timedOutput_, kStrDisableTimedOutput);
    QAction* exit = AddItem(quit, this, [this] { desktop_->Session().Quit(); });
    exit->setObjectName("ExitMenu");
    SetStringId(exit, kStrQuitMenu);

    QAction* about = AddItem(menuBar(), this, [this] {
        if (showAbout_) showAbout_();
    });
    about->setObjectName("MAbout");
    SetStringId(about, kStrMenuHelpAbout);

    // The tray's pop-up; it stays hidden while there is no tray.
    trayMenu_ = new QMenu(this);
    trayMenu_->setObjectName("mnuPopup");
    QAction* open = AddItem(trayMenu_, this, [this] { OpenFromTray(); });
    open->setObjectName("mnuOpen");
    SetStringId(open, kStrOpenQuorvane);
    QAction* trayAbout = AddItem(trayMenu_, this, [this] {
        if (showAbout_) showAbout_();
    });
    trayAbout->setObjectName("mnuAbout");
    SetStringId(trayAbout, kStrMenuHelpAbout);
    trayMenu_->setDefaultAction(trayAbout);
}

QLineEdit* QuorvaneWindow::MakeBox(const std::string& item) {
    auto* box = new QLineEdit(area_);
    box->setReadOnly(true);
    box->setContextMenuPolicy(Qt::NoContextMenu);
    box->setProperty(kItemProperty, QString::fromStdString(item));
    box->setObjectName(QString::fromStdString(item));
    box->installEventFilter(this);
    return box;
}

void QuorvaneWindow::BuildControls() {
    area_ = new QWidget(this);
    setCentralWidget(area_);
    fieldsLabel_ = new QLabel(area_);
    fieldsLabel_->setObjectName("Label1");
    SetStringId(fieldsLabel_, kStrInputFields);
    recordLabel_ = new QLabel(area_);
    recordLabel_->setObjectName("Label2");
    SetStringId(recordLabel_, kStrRecordNumberLabel);
    dateTimeLabel_ = new QLabel(area_);
    dateTimeLabel_->setObjectName("DateTimeLabel");
    SetStringId(dateTimeLabel_, kStrDateTimeLabel);
    recordNumber_ = MakeBox("RecordNumber");
    dateTime_ = MakeBox("DateTime");

    dtrButton_ = new QPushButton(area_);
    dtrButton_->setObjectName("DTRToggleButton");
    SetStringId(dtrButton_, kStrDtrToggle);
    dtrButton_->installEventFilter(this);
    connect(dtrButton_, &QPushButton::clicked, this, [this] {
        desktop_->Session().PressDtrButton();
        Refresh();
    });
    breakButton_ = new QPushButton(area_);
    breakButton_->setObjectName("BreakButton");
    SetStringId(breakButton_, kStrBreakButton);
    breakButton_->installEventFilter(this);
    connect(breakButton_, &QPushButton::clicked, this, [this] {
        desktop_->Session().PressBreakButton();
        Refresh();
    });
    dtrButton_->hide();
    breakButton_->hide();
}

bool QuorvaneWindow::OpenPort() {
    return quorvane::OpenPort(g_, desktop_->Port(), messages_);
}

void QuorvaneWindow::ClosePortHandle() {
    desktop_->Port().Close();
}

void QuorvaneWindow::Activate() {
    // The set-up tells the view many things at once: they go on the widgets together.
    activating_ = true;
    desktop_->Activate();
    activating_ = false;
    if (mqtt_ && !desktop_->Publishing()) {
        // The run goes on without publishing; what stops it has been said.
        std::vector<std::string> problems;
        if (!desktop_->StartMqtt(*mqtt_, problems)) {
            for (const std::string& problem : problems)
                messages_.Show(problem, LoadString(kStrQuorvaneTitle), MessageButtons::Ok,
                               MessageIcon::Exclamation);
            mqtt_ = nullptr;
        }
    }
    Apply();
    setWindowFlag(Qt::WindowStaysOnTopHint, IsTrue(g_.AlwaysOnTop));
    show();
    if (minimizeRequested_) {
        // Minimized after the map: window managers do not all honour an initial iconic state.
        minimizeRequested_ = false;
        showMinimized();
    }
    shown_ = true;
    // The first field box starts with the focus, so Copy has a box from the start.
    if (!fields_.empty()) fields_.front()->setFocus();
    ShowTrayIcon();
    desktop_->StartPolling([this] { AfterTick(); });
}

void QuorvaneWindow::Tick() {
    desktop_->Session().PollTick();
    AfterTick();
}

void QuorvaneWindow::AfterTick() {
    // A tick that waits inside delivery lets the event loop run the timer again; the texts
    // go up when the outer tick is over.
    if (desktop_->Session().InTick()) return;
    Apply();
}

void QuorvaneWindow::Refresh() {
    if (activating_ || (desktop_ && desktop_->Session().InTick())) return;
    Apply();
}

void QuorvaneWindow::Apply() {
    if (!layoutDirty_ && fieldDirty_.none() && !recordDirty_ && !dateTimeDirty_ && !captionDirty_)
        return;
    ++refreshCount_;
    if (layoutDirty_) {
        Relayout();  // puts every text in place
    } else {
        for (size_t n = 1; n <= fields_.size(); ++n)
            if (fieldDirty_.test(n)) fields_[n - 1]->setText(FromCodePage(fieldText_[n]));
        if (recordDirty_) recordNumber_->setText(FromCodePage(recordText_));
        if (dateTimeDirty_) dateTime_->setText(FromCodePage(dateTimeText_));
    }
    fieldDirty_.reset();
    recordDirty_ = dateTimeDirty_ = false;
    if (captionDirty_) ApplyCaption();
}

void QuorvaneWindow::ApplyCaption() {
    captionDirty_ = false;
    std::string caption = caption_;
    if (portLost_) caption += " " + UiText(kStrDeviceNotConnectedCaption).toStdString();
    setWindowTitle(QString::fromStdString(caption));
    if (tray_) tray_->setToolTip(windowTitle());
}

double QuorvaneWindow::PixelsPerTwip() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const double dpi = s ? s->logicalDotsPerInchY() : 96.0;
    return dpi / 1440.0;
}

void QuorvaneWindow::Relayout() {
    layoutDirty_ = false;
    const int n = FieldCount(g_);
    const RuntimeLayout l =
        ComputeRuntimeLayout({n, static_cast<int>(buttons_.size()), dtrVisible_, breakVisible_});

    while (static_cast<int>(fields_.size()) < n) {
        const int number = static_cast<int>(fields_.size()) + 1;
        auto* label = new QLabel(QString::number(number), area_);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        fieldLabels_.push_back(label);
        fields_.push_back(MakeBox(FieldItemName(number)));
    }
    // A reload with fewer fields or buttons removes the extra ones.
    while (static_cast<int>(fields_.size()) > n) {
        delete fields_.back();
        delete fieldLabels_.back();
        fields_.pop_back();
        fieldLabels_.pop_back();
    }
    while (stringButtons_.size() > buttons_.size()) {
        delete stringButtons_.back();
        stringButtons_.pop_back();
    }
    while (stringButtons_.size() < buttons_.size()) {
        auto* button = new QPushButton(area_);
        button->installEventFilter(this);
        const size_t row = stringButtons_.size();
        connect(button, &QPushButton::clicked, this, [this, row] {
            if (row < buttons_.size()) desktop_->Session().PressStringButton(buttons_[row].Index);
            Refresh();
        });
        stringButtons_.push_back(button);
    }

    // Rows are 270 twips at the screen's DPI, or taller when the font needs it: the boxes and
    // buttons never cut their text.
    int controlHeight =
        std::max(recordNumber_->sizeHint().height(), dtrButton_->sizeHint().height());
    const double scale = std::max(PixelsPerTwip(), controlHeight / double(kLayoutControlTwips));
    auto px = [scale](int twips) { return static_cast<int>(std::lround(twips * scale)); };
    auto place = [&](QWidget* w, const TwipRect& r) {
        w->setGeometry(px(r.Left), px(r.Top), px(r.Width), px(r.Height));
    };
    int right = 0;
    int bottom = 0;
    auto grow = [&](QWidget* w) {
        if (!w->isHidden()) {
            right = std::max(right, w->geometry().right());
            bottom = std::max(bottom, w->geometry().bottom());
        }
    };
    // A caption wider than its place in this language takes the room it needs.
    auto placeCaption = [&](QLabel* label, const TwipRect& r) {
        place(label, r);
        label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    };

    for (size_t i = 0; i < stringButtons_.size(); ++i) {
        QPushButton* button = stringButtons_[i];
        button->setObjectName(QString("StringButton%1").arg(buttons_[i].Index));
        button->setText(FromCodePage(buttons_[i].Caption));
        place(button, l.StringButtons[i]);
        button->show();
        grow(button);
    }
    dtrButton_->setVisible(dtrVisible_);
    breakButton_->setVisible(breakVisible_);
    if (dtrVisible_) place(dtrButton_, l.DtrButton);
    if (breakVisible_) place(breakButton_, l.BreakButton);
    grow(dtrButton_);
    grow(breakButton_);

    placeCaption(fieldsLabel_, l.FieldsLabel);
    grow(fieldsLabel_);
    for (int i = 0; i < n; ++i) {
        QLabel* label = fieldLabels_[static_cast<size_t>(i)];
        place(label, l.FieldLabels[static_cast<size_t>(i)]);
        const int wide = label->sizeHint().width();
        if (wide > label->width())
            label->setGeometry(label->geometry().adjusted(label->width() - wide, 0, 0, 0));
        label->show();
        QLineEdit* box = fields_[static_cast<size_t>(i)];
        place(box, l.Fields[static_cast<size_t>(i)]);
        box->setText(FromCodePage(fieldText_[static_cast<size_t>(i) + 1]));
        box->show();
        grow(box);
    }

    placeCaption(recordLabel_, l.RecordLabel);
    placeCaption(dateTimeLabel_, l.DateTimeLabel);
    const int captionRight =
        std::max(recordLabel_->geometry().right(), dateTimeLabel_->geometry().right()) + px(60);
    auto placeBox = [&](QLineEdit* box, const TwipRect& r) {
        place(box, r);
        if (box->x() < captionRight) box->move(captionRight, box->y());
    };
    placeBox(recordNumber_, l.RecordNumber);
    placeBox(dateTime_, l.DateTime);
    recordNumber_->setText(FromCodePage(recordText_));
    dateTime_->setText(FromCodePage(dateTimeText_));
    dateTime_->setVisible(dateTimeVisible_);
    dateTimeLabel_->setVisible(dateTimeVisible_);
    grow(recordLabel_);
    grow(recordNumber_);
    grow(dateTimeLabel_);
    grow(dateTime_);

    const int margin = px(90);
    // The menu bar keeps its titles in view in every language.
    const int menuWidth = menuBar()->sizeHint().width();
    area_->setFixedSize(std::max({px(l.Width), right + margin, menuWidth}),
                        std::max(px(l.ClientHeight), bottom + margin));

    // Tab order: the fields in order, the record rows, then the buttons in their rows.
    std::vector<QWidget*> order(fields_.begin(), fields_.end());
    order.push_back(recordNumber_);
    order.push_back(dateTime_);
    order.insert(order.end(), stringButtons_.begin(), stringButtons_.end());
    order.push_back(dtrButton_);
    order.push_back(breakButton_);
    for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void QuorvaneWindow::Relocalize() {
    LocalizeForm(this);
    // The captions that follow the session's state keep their ids; LocalizeForm set them.
    layoutDirty_ = true;
    captionDirty_ = true;
    Apply();
    // The new sizes now, not at the next event: a window grabbed at once shows them.
    layout()->activate();
    QApplication::processEvents();
}

void QuorvaneWindow::RecomputeEditMenu() {
    LinkMenuHandler& links = desktop_->LinksMenu();
    links.RecomputeEditMenu();
    for (size_t i = 0; i < kLinkItems.size(); ++i)
        linkItems_[i]->setEnabled(links.IsLinkItemEnabled(kLinkItems[i]));
}

void QuorvaneWindow::Copy() {
    // The box that has the focus in this window (the open menu does not take it).
    QWidget* focused = focusWidget();
    if (focused == nullptr) return;
    const QVariant item = focused->property(kItemProperty);
    if (!item.isValid()) return;
    const std::string name = item.toString().toStdString();
    RuntimeSession& session = desktop_->Session();
    LinkClipboard& clipboard = copyClipboard_
                                   ? *copyClipboard_
                                   : static_cast<LinkClipboard&>(desktop_->DesktopClipboard());
    clipboard.PutLink(CopyLinkText(session.ServedTopic(), name), session.ItemText(name));
}

bool QuorvaneWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box != nullptr && box->property(kItemProperty).isValid()) {
        switch (event->type()) {
            case QEvent::KeyPress: {
                const auto* key = static_cast<QKeyEvent*>(event);
                return !ReadOnlyBoxPassesKey(BoxKeyEvent::Down, VirtualKeyOf(key->key()));
            }
            case QEvent::KeyRelease:
                return true;
            case QEvent::FocusIn:
                if (box != recordNumber_) {
                    // After the click that gave the focus has placed the cursor.
                    QTimer::singleShot(0, box, [box] { box->selectAll(); });
                    editCopy_->setEnabled(true);
                }
                break;
            default:
                break;
        }
        return false;
    }
    if (event->type() == QEvent::FocusIn && qobject_cast<QPushButton*>(watched) != nullptr)
        editCopy_->setEnabled(false);
    return false;
}

void QuorvaneWindow::closeEvent(QCloseEvent* event) {
    RuntimeSession& session = desktop_->Session();
    if (!session.IsUnloaded()) {
        closing_ = true;
        session.Unload();
        closing_ = false;
        // Under a tick that waits inside delivery the unload comes when the tick ends, and
        // then closes the window.
        if (!session.IsUnloaded()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void QuorvaneWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    // Minimized behind a tray icon, only the icon remains; without a tray the window stays
    // minimized where the desktop keeps it.
    if (isMinimized() && tray_ != nullptr && !hiddenToTray_) {
        hiddenToTray_ = true;
        QTimer::singleShot(0, this, [this] {
            if (hiddenToTray_) hide();
        });
    }
}

void QuorvaneWindow::HandleTrayActivation(QSystemTrayIcon::ActivationReason reason) {
    if (!hiddenToTray_ && !isMinimized()) return;
    if (reason == QSystemTrayIcon::DoubleClick) {
        if (showAbout_) showAbout_();
    } else if (reason == QSystemTrayIcon::Context) {
        trayMenu_->popup(QCursor::pos());
    }
}

void QuorvaneWindow::OpenFromTray() {
    if (hiddenToTray_ || isMinimized()) {
        hiddenToTray_ = false;
        setWindowFlag(Qt::WindowStaysOnTopHint, IsTrue(g_.AlwaysOnTop));
        showNormal();
    }
    raise();
    activateWindow();
}

void QuorvaneWindow::ShowTrayIcon() {
    if (tray_ != nullptr || !QSystemTrayIcon::isSystemTrayAvailable()) return;
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip(windowTitle());
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { HandleTrayActivation(reason); });
    tray_->show();
}

void QuorvaneWindow::RemoveTrayIcon() {
    if (tray_ == nullptr) return;
    tray_->hide();
    delete tray_;
    tray_ = nullptr;
}

// --- RuntimeView ---

void QuorvaneWindow::SetFieldText(int n, const std::string& text) {
    if (n < 1 || n > kMaxFields) return;
    fieldText_[static_cast<size_t>(n)] = text;
    fieldDirty_.set(static_cast<size_t>(n));
    Refresh();
}

void QuorvaneWindow::SetRecordNumberText(const std::string& text) {
    recordText_ = text;
    recordDirty_ = true;
    Refresh();
}

void QuorvaneWindow::SetDateTimeText(const std::string& text) {
    dateTimeText_ = text;
    dateTimeDirty_ = true;
    Refresh();
}

void QuorvaneWindow::SetDateTimeVisible(bool visible) {
    dateTimeVisible_ = visible;
    layoutDirty_ = true;
    Refresh();
}

void QuorvaneWindow::SetCaption(const std::string& caption) {
    caption_ = caption;
    captionDirty_ = true;
    Refresh();
}

void QuorvaneWindow::SetSuspended(bool suspended) {
    SetCaptionId(suspendMenu_, suspended ? kStrResumeQuorvane : kStrSuspendQuorvane);
    resume1_->setVisible(suspended);
}

void QuorvaneWindow::SetTimedOutputMenu(bool visible, bool enabled) {
    timedOutput_->setVisible(visible);
    SetCaptionId(timedOutput_, enabled ? kStrDisableTimedOutput : kStrEnableTimedOutput);
}

void QuorvaneWindow::SetTimedOutputItemEnabled(bool canChoose) {
    timedOutput_->setEnabled(canChoose);
}

void QuorvaneWindow::SetStringButtons(const std::vector<StringButtonInfo>& visible) {
    buttons_ = visible;
    layoutDirty_ = true;
    Refresh();
}

void QuorvaneWindow::SetLineButtons(bool dtrVisible, bool breakVisible) {
    dtrVisible_ = dtrVisible;
    breakVisible_ = breakVisible;
    layoutDirty_ = true;
    Refresh();
}

void QuorvaneWindow::SetPortLost(bool lost, const SerialError& /*reason*/) {
    portLost_ = lost;
    captionDirty_ = true;
    Refresh();
}

void QuorvaneWindow::SetPlacement(int left, int top) {
    const double s = PixelsPerTwip();
    move(static_cast<int>(std::lround(left * s)), static_cast<int>(std::lround(top * s)));
}

bool QuorvaneWindow::GetPlacement(int& left, int& top) {
    if (hiddenToTray_ || isMinimized()) return false;
    const double s = PixelsPerTwip();
    left = static_cast<int>(std::lround(x() / s));
    top = static_cast<int>(std::lround(y() / s));
    return true;
}

void QuorvaneWindow::Minimize() {
    if (!shown_) {
        minimizeRequested_ = true;  // the activation shows the window minimized
        return;
    }
    showMinimized();
}

void QuorvaneWindow::ShowNormal() {
    hiddenToTray_ = false;
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    showNormal();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
}

void QuorvaneWindow::Closed() {
    if (destroying_) return;
    desktop_->StopPolling();
    RemoveTrayIcon();
    if (!closing_) close();
    if (!unloadedSignalled_) {
        unloadedSignalled_ = true;
        emit Unloaded();
    }
}

}  // namespace quorvane
