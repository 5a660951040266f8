#include "platform/linux/SteadyClock.h"

#include <chrono>
#include <ctime>

namespace quorvane {

uint32_t SteadyClock::TickCount() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

DateTimeParts SteadyClock::Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    DateTimeParts parts;
    parts.Year = local.tm_year + 1900;
    parts.Month = local.tm_mon + 1;
    parts.Day = local.tm_mday;
    parts.Hour = local.tm_hour;
    parts.Minute = local.tm_min;
    // A leap second (60) is shown as the last ordinary second.
    parts.Second = local.tm_sec > 59 ? 59 : local.tm_sec;
    return parts;
}

}  // namespace quorvane
