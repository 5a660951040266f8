#include "gui/AboutBox.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/DesktopServices.h"
#include "gui/LocalizeForm.h"
#include "gui/QuorvaneIcon.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

QPointer<AboutBox>& SplashBox() {
    static QPointer<AboutBox> splash;
    return splash;
}

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

AboutBox::AboutBox(Kind kind, QWidget* parent)
    : QDialog(parent, kind == Kind::Splash ? Qt::SplashScreen | Qt::WindowStaysOnTopHint
                                           : Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      kind_(kind) {
    setObjectName(kind == Kind::Splash ? "AboutSplash" : "AboutBox");
    setWindowIcon(QuorvaneIcon());
    if (kind_ == Kind::Box) SetStringId(this, kStrAboutTitle);

    icon_ = new QLabel(this);
    icon_->setObjectName("icon");
    icon_->setPixmap(QuorvaneIcon().pixmap(64, 64));
    icon_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    name_ = new QLabel(this);
    name_->setObjectName("productName");
    SetStringId(name_, kStrQuorvaneTitle);
    version_ = new QLabel(this);
    version_->setObjectName("version");
    qtVersion_ = new QLabel(this);
    qtVersion_->setObjectName("qtVersion");
    language_ = new QLabel(this);
    language_->setObjectName("language");
    desktop_ = new QLabel(this);
    desktop_->setObjectName("desktop");
    desktop_->setWordWrap(true);
    // Wide enough for a reason on two lines, narrow enough to keep the box a box.
    desktop_->setFixedWidth(desktop_->fontMetrics().averageCharWidth() * 60);
    summary_ = new QLabel(this);
    summary_->setObjectName("summary");
    SetStringId(summary_, kStrDesktopComment);  // what the program is; no licence is claimed

    auto* texts = new QVBoxLayout;
    texts->addWidget(name_);
    texts->addWidget(version_);
    texts->addWidget(qtVersion_);
    texts->addWidget(language_);
    texts->addWidget(desktop_);
    texts->addSpacing(8);
    texts->addWidget(summary_);
    texts->addStretch();

    auto* body = new QHBoxLayout;
    body->addWidget(icon_);
    body->addSpacing(12);
    body->addLayout(texts, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    ok_->setObjectName("ok");
    SetStringId(ok_, kStrAboutOk);
    ok_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    if (kind_ == Kind::Splash) {
        buttons->hide();
        layout->setContentsMargins(24, 24, 24, 24);
    }
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Localize();
}

void AboutBox::Localize() {
    LocalizeForm(this);
    QFont big = font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    name_->setFont(big);
    version_->setText(Utf8(LoadString(kStrAboutVersion, {QUORVANE_VERSION})));
    qtVersion_->setText(Utf8(LoadString(kStrAboutQtVersion, {qVersion()})));
    language_->setText(Utf8(LoadString(kStrAboutLanguage, {LoadString(kStrLanguageName)})));
    const std::string choice = DesktopServices::LastChoice();
    desktop_->setText(Utf8(choice));
    desktop_->setVisible(kind_ == Kind::Box && !choice.empty());
    if (kind_ == Kind::Splash) setWindowTitle(QString());
    // Another language has other text widths: fit the box now, not at the next event.
    if (layout()) layout()->activate();
    adjustSize();
}

void AboutBox::ShowModal(QWidget* parent) {
    AboutBox box(Kind::Box, parent);
    box.exec();
}

AboutBox* AboutBox::ShowModeless(QWidget* parent) {
    auto* box = new AboutBox(Kind::Box, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
    return box;
}

AboutBox* AboutBox::ShowSplash() {
    QPointer<AboutBox>& splash = SplashBox();
    if (!splash) {
        splash = new AboutBox(Kind::Splash);
        splash->setAttribute(Qt::WA_DeleteOnClose);
    }
    splash->show();
    splash->raise();
    // The start-up goes on without returning to the event loop: paint now.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return splash;
}

void AboutBox::CloseSplash() {
    if (AboutBox* splash = SplashBox()) {
        splash->close();
        SplashBox() = nullptr;
    }
}

AboutBox* AboutBox::Splash() {
    return SplashBox();
}

}  // namespace quorvane
