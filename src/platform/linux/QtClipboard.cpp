#include "platform/linux/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "config/CodePage.h"

namespace quorvane {

namespace {

QClipboard* DesktopClipboard() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return nullptr;
    const QString platform = QGuiApplication::platformName();
    // These keep a clipboard inside the process only: no other program would see it.
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return nullptr;
    return QGuiApplication::clipboard();
}

}  // namespace

bool QtClipboard::Available() const {
    return DesktopClipboard() != nullptr;
}

void QtClipboard::PutLink(const std::string& link, const std::string& text) {
    QClipboard* clipboard = DesktopClipboard();
    if (clipboard == nullptr) return;
    clipboard->clear();
    auto* data = new QMimeData;
    const std::string utf8 = CodePage::ToUtf8(link);
    data->setData(QString::fromLatin1(kLinkMimeType),
                  QByteArray(utf8.data(), qsizetype(utf8.size())));
    data->setText(QString::fromStdString(CodePage::ToUtf8(text)));
    clipboard->setMimeData(data);  // the clipboard owns it now
}

bool QtClipboard::HoldsLink() const {
    QClipboard* clipboard = DesktopClipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    return data != nullptr && data->hasFormat(QString::fromLatin1(kLinkMimeType)) &&
           data->hasText();
}

std::string QtClipboard::LinkText() const {
    QClipboard* clipboard = DesktopClipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (data == nullptr) return {};
    QByteArray bytes = data->data(QString::fromLatin1(kLinkMimeType));
    while (!bytes.isEmpty() &&
           (bytes.back() == '\n' || bytes.back() == '\r' || bytes.back() == '\0'))
        bytes.chop(1);
    return CodePage::FromUtf8(std::string_view(bytes.constData(), size_t(bytes.size())));
}

}  // namespace quorvane
