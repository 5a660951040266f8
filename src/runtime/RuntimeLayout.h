// Where the runtime window's controls stand, in twips (1/1440 inch): the column of string
// buttons on the left with DTR~ and Break below them, the field boxes in one or two columns
// beside it, the record number and date/time rows under the fields, and the window's height.
// The window turns twips into pixels; the rules stay here.
#pragma once

#include <string>
#include <vector>

namespace quorvane {

inline constexpr int kLayoutRowTwips = 270;         // rows of buttons and fields
inline constexpr int kLayoutFirstRowTwips = 90;     // top of the first button row
inline constexpr int kLayoutColumnTwips = 2880;     // second field column, right of the first
inline constexpr int kLayoutControlTwips = 255;     // height of a box or a button
inline constexpr int kLayoutLineButtonTwips = 645;  // DTR~ and Break side by side
// The original frame counted its caption and menu bar in the window height; the client
// area is what remains of the height rule.
inline constexpr int kLayoutFrameTwips = 240;

struct TwipRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const TwipRect&) const = default;
};

struct RuntimeLayoutInput {
    int FieldCount = 1;            // NumberOfFields, 1..40
    int VisibleStringButtons = 0;  // string buttons that have a string, 0..20
    bool DtrVisible = false;
    bool BreakVisible = false;
};

struct RuntimeLayout {
    int Rows = 0;              // R: fields in the first column (20 when they form one column)
    int Columns = 1;           // field columns in use
    bool ShiftedLeft = false;  // no button of any kind: the field area stands at the left edge
    std::vector<TwipRect> StringButtons;  // row order: the n-th visible button
    TwipRect DtrButton;                   // Width 0 when hidden
    TwipRect BreakButton;
    TwipRect FieldsLabel;                // "Input Field(s)"
    std::vector<TwipRect> FieldLabels;   // [n-1]: the number n, right-aligned in its rect
    std::vector<TwipRect> Fields;        // [n-1]: Field(n)
    TwipRect RecordLabel, RecordNumber;  // "Record #" and its box
    TwipRect DateTimeLabel, DateTime;    // "Date/Time:" and its box
    int Width = 0;                       // client width
    int Height = 0;                      // the window height rule
    int ClientHeight = 0;                // Height less the frame
};

RuntimeLayout ComputeRuntimeLayout(const RuntimeLayoutInput& input);

// The read-only display boxes (Field, RecordNumber, DateTime) let a key-down through only for
// moving and leaving the box: Tab, End, Home, Left, Right, F1 and F4 (Windows virtual-key
// codes). Every key-press (character) and key-up is discarded.
enum class BoxKeyEvent { Down, Press, Up };
bool ReadOnlyBoxPassesKey(BoxKeyEvent event, int virtualKey);

// The DDE item behind a box: "Field(n)", "RecordNumber", "DateTime".
std::string FieldItemName(int n);
// The text a copied box leaves in the clipboard's link format: "Quorvane|topic!item".
std::string CopyLinkText(const std::string& topic, const std::string& item);

}  // namespace quorvane
