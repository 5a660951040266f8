#include "runtime/RuntimeLayout.h"

#include <algorithm>

#include "config/SetupGlobals.h"

namespace quorvane {

namespace {

constexpr int kMargin = 90;
constexpr int kButtonWidth = 2 * kLayoutLineButtonTwips + 45;  // two line buttons and a gap
constexpr int kColumnGap = 120;
constexpr int kNumberWidth = 300;    // room for a two-digit field number
constexpr int kDigitWidth = 150;     // one digit of it
constexpr int kBoxLeft = 360;        // a field box, from the left of its column
constexpr int kBoxWidth = 2400;      // leaves kColumnGap before the next column
constexpr int kCaptionWidth = 1080;  // "Record #", "Date/Time:"
constexpr int kRecordRowGap = 30;

int RowTop(int row) {
    return kLayoutFirstRowTwips + row * kLayoutRowTwips;
}

}  // namespace

RuntimeLayout ComputeRuntimeLayout(const RuntimeLayoutInput& input) {
    RuntimeLayout out;
    const int n = std::clamp(input.FieldCount, 1, kMaxFields);
    const int buttons = std::clamp(input.VisibleStringButtons, 0, kStringButtons);
    const int b = buttons + 1;

    out.Rows = n < b ? 20 : std::max((n + 1) / 2, b - 1);
    out.Columns = n > out.Rows ? 2 : 1;
    const int usedRows = std::min(out.Rows, n);

    for (int i = 0; i < buttons; ++i)
        out.StringButtons.push_back({kMargin, RowTop(i), kButtonWidth, kLayoutControlTwips});
    // DTR~ and Break take the row below the string buttons, narrowed when both are shown.
    const int lineTop = RowTop(buttons);
    if (input.DtrVisible && input.BreakVisible) {
        out.DtrButton = {kMargin, lineTop, kLayoutLineButtonTwips, kLayoutControlTwips};
        out.BreakButton = {kMargin + kButtonWidth - kLayoutLineButtonTwips, lineTop,
                           kLayoutLineButtonTwips, kLayoutControlTwips};
    } else if (input.DtrVisible) {
        out.DtrButton = {kMargin, lineTop, kButtonWidth, kLayoutControlTwips};
    } else if (input.BreakVisible) {
        out.BreakButton = {kMargin, lineTop, kButtonWidth, kLayoutControlTwips};
    }

    out.ShiftedLeft = buttons == 0 && !input.DtrVisible && !input.BreakVisible;
    const int fieldsLeft = out.ShiftedLeft ? kMargin : kMargin + kButtonWidth + kColumnGap;

    // Row 0 holds the caption; field rows follow on the same 270-twip grid as the buttons.
    out.FieldsLabel = {fieldsLeft, RowTop(0), 2 * kLayoutColumnTwips - kColumnGap,
                       kLayoutControlTwips};
    for (int field = 1; field <= n; ++field) {
        const int column = field > out.Rows ? 1 : 0;
        const int row = column == 0 ? field : field - out.Rows;
        const int left = fieldsLeft + column * kLayoutColumnTwips;
        const int top = RowTop(row);
        // A two-digit number starts one digit further left, so the numbers stay right-aligned.
        const int digits = field >= 10 ? 2 : 1;
        const int numberWidth = digits * kDigitWidth;
        out.FieldLabels.push_back(
            {left + kNumberWidth - numberWidth, top, numberWidth, kLayoutControlTwips});
        out.Fields.push_back({left + kBoxLeft, top, kBoxWidth, kLayoutControlTwips});
    }

    const int recordTop = RowTop(usedRows + 1) + kRecordRowGap;
    const int boxLeft = fieldsLeft + kCaptionWidth + 60;
    const int boxWidth = kBoxLeft + kBoxWidth - kCaptionWidth - 60;
    out.RecordLabel = {fieldsLeft, recordTop, kCaptionWidth, kLayoutControlTwips};
    out.RecordNumber = {boxLeft, recordTop, boxWidth, kLayoutControlTwips};
    out.DateTimeLabel = {fieldsLeft, recordTop + kLayoutRowTwips, kCaptionWidth,
                         kLayoutControlTwips};
    out.DateTime = {boxLeft, recordTop + kLayoutRowTwips, boxWidth, kLayoutControlTwips};

    out.Width = fieldsLeft + out.Columns * kLayoutColumnTwips - kColumnGap + kMargin;
    out.Height = usedRows * kLayoutRowTwips + 1200;
    if (buttons > 0) out.Height = std::max(out.Height, (buttons + 1) * kLayoutRowTwips + 950);
    out.ClientHeight = out.Height - kLayoutFrameTwips;
    return out;
}

bool ReadOnlyBoxPassesKey(BoxKeyEvent event, int virtualKey) {
    if (event != BoxKeyEvent::Down) return false;
    switch (virtualKey) {
        case 0x09:  // Tab
        case 0x23:  // End
        case 0x24:  // Home
        case 0x25:  // Left
        case 0x27:  // Right
        case 0x70:  // F1
        case 0x73:  // F4
            return true;
        default:
            return false;
    }
}

std::string FieldItemName(int n) {
    return "Field(" + std::to_string(n) + ")";
}

std::string CopyLinkText(const std::string& topic, const std::string& item) {
    return "Quorvane|" + topic + "!" + item;
}

}  // namespace quorvane
