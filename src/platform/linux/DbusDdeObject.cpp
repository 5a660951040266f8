#include "platform/linux/DbusDdeObject.h"

#include "delivery/DdeBusNames.h"
#include "delivery/DdeBusText.h"

namespace quorvane {

namespace {
QString FromBytes(const std::string& bytes) {
    return QString::fromStdString(DdeTextToBus(bytes));
}

// An error quotes at most this much of what was asked, so a huge name is not sent back whole.
constexpr qsizetype kQuotedChars = 100;

QString Quoted(const QString& text) {
    if (text.size() <= kQuotedChars) return text;
    return text.left(kQuotedChars) + QStringLiteral("\u2026");
}
}  // namespace

void DbusDdeObject::Execute(const QString& command) {
    bool lossless = true;
    const std::string bytes = DdeTextFromBus(command.toStdString(), &lossless);
    // A character the code page cannot hold would reach the device as '?': refuse instead.
    if (!lossless) {
        sendErrorReply(QString::fromUtf8(kDdeErrorRefused),
                       QStringLiteral("The command holds characters the code page lacks."));
        return;
    }
    if (!handler_ || !*handler_ || !(*handler_)(bytes))
        sendErrorReply(QString::fromUtf8(kDdeErrorRefused),
                       QStringLiteral("The command was refused."));
}

QString DbusDdeObject::Request(const QString& item) {
    std::string value;
    bool lossless = true;
    const std::string name = DdeTextFromBus(item.toStdString(), &lossless);
    if (!lossless || !source_ || !*source_ || !(*source_)->ItemValue(name, value)) {
        sendErrorReply(QString::fromUtf8(kDdeErrorNoSuchItem),
                       QStringLiteral("No such item: ") + Quoted(item));
        return {};
    }
    return FromBytes(value);
}

QStringList DbusDdeObject::Items() {
    QStringList names;
    if (source_ && *source_)
        for (const std::string& name : (*source_)->ItemNames()) names << FromBytes(name);
    return names;
}

}  // namespace quorvane
