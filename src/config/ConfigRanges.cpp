#include "config/ConfigRanges.h"

namespace quorvane {

namespace {

template <typename T>
void Clamp(T& value, T low, T high, bool& changed) {
    const T before = value;
    if (value < low) value = low;
    if (value > high) value = high;
    changed = changed || value != before;
}

}  // namespace

bool ClampToRanges(SetupGlobals& g) {
    bool changed = false;
    if (g.BaudRateIndex < 0 || g.BaudRateIndex > 11) {
        g.BaudRateIndex = 6;
        changed = true;
    }
    Clamp<int16_t>(g.PortIndex, 0, 98, changed);  // COM1..COM99
    Clamp<int16_t>(g.Parity, 0, 4, changed);
    Clamp<int16_t>(g.DataBitsIndex, 0, 3, changed);
    Clamp<int16_t>(g.StopBits, 0, 2, changed);
    Clamp<int16_t>(g.FlowControl, 0, 3, changed);
    Clamp<int32_t>(g.InputBufferSize, 128, 131072, changed);
    Clamp<int32_t>(g.OutputBufferSize, 128, 131072, changed);
    Clamp<int16_t>(g.RecordStructure, 0, 2, changed);
    Clamp<int16_t>(g.StartOfRecordEvent, 0, 3, changed);
    Clamp<int16_t>(g.EndOfRecordEvent, 0, 3, changed);
    Clamp<int16_t>(g.RecordGapTicks, 1, 255, changed);
    // 0 is the File New value ("not set yet"), so it stays allowed.
    Clamp<int16_t>(g.RecordLength, 0, 32766, changed);
    Clamp<int16_t>(g.NumberOfFields, 1, kMaxFields, changed);
    Clamp<int16_t>(g.Mode, 0, 2, changed);
    for (int n = 1; n <= kMaxFields; ++n) Clamp<int16_t>(g.FieldLength[n], 0, 32766, changed);
    Clamp<int32_t>(g.TimerInterval, 0, 99999999, changed);
    for (auto& action : g.HotKeyAction) Clamp<int16_t>(action, 0, 13, changed);
    return changed;
}

}  // namespace quorvane
