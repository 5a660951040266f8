// The user's locale as the core's plain locale record, read through QLocale.
#pragma once

#include "engine/LocaleInfo.h"

namespace quorvane {

// Texts are converted to the code page; a character it lacks becomes '?'.
LocaleInfo SystemLocaleInfo();

}  // namespace quorvane
