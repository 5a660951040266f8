// The program's icon, compiled in from resources/icons/.
#pragma once

#include <QByteArray>
#include <QIcon>

namespace quorvane {

// Every drawn size (16, 32, 48, 128, 256 px), so small sizes stay sharp.
QIcon QuorvaneIcon();

// The icon files as stored, for the desktop registration.
QByteArray QuorvaneIconSvg();
QByteArray QuorvaneIconPng(int size);

}  // namespace quorvane
