#include "gui/QuorvaneIcon.h"

#include <QFile>
#include <QString>

namespace quorvane {

namespace {

QByteArray ResourceFile(const QString& name) {
    QFile file(":/icons/" + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

QIcon QuorvaneIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 128, 256})
        icon.addFile(QString(":/icons/quorvane-%1.png").arg(size), QSize(size, size));
    return icon;
}

QByteArray QuorvaneIconSvg() {
    return ResourceFile("quorvane.svg");
}

QByteArray QuorvaneIconPng(int size) {
    return ResourceFile(QString("quorvane-%1.png").arg(size));
}

}  // namespace quorvane
