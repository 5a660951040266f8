// The rules of the dialogs that choose where the runtime delivers its data: the target
// application, the DDE command target and links, the program's own DDE topic and the
// date/time display format. Texts are code-page bytes. Each store sets ConfigChanged exactly
// when a stored value differs from the one it replaces.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "config/SetupGlobals.h"

namespace quorvane {

// The text without leading and trailing blanks (spaces).
std::string TrimBlanks(std::string_view text);

// Stores value into setting, marking the configuration changed when it differs.
void StoreText(std::string& setting, const std::string& value, int16_t& changed);
void StoreBool(int16_t& setting, bool value, int16_t& changed);

// Send Keystrokes target: both texts trimmed; TargetAppSpecified is true when either stored
// text is not empty (both empty: keystrokes go to the focused window).
void StoreTargetApp(SetupGlobals& g, std::string_view title, std::string_view command);

// The three kinds of the DDE dialog.
enum DdeDialogKinds : int {
    kDdeCommandTarget = 0,  // DdeTarget*, opened by the DDE Server menu item
    kDdeCommandSource = 1,  // CommandLink*
    kDdeOutputBuffer = 2,   // BufferLink* and StripCrLfFromBuffer
};

struct DdeDialogValues {
    std::string App, Topic, Item;
    bool LinkOnActivation = false;  // kinds 1 and 2
    bool StripCrLf = false;         // kind 2
};

// The settings a kind shows; an unknown kind reads as kind 0.
DdeDialogValues DdeValuesOf(const SetupGlobals& g, int kind);
// OK of the DDE dialog: the three names trimmed, then the kind's check boxes.
void StoreDdeValues(SetupGlobals& g, int kind, const DdeDialogValues& values);

// The new DdeTopicName of the topic dialog: empty with "use the port name"; the trimmed box
// text otherwise; nothing when that text is blank (the dialog then asks for a topic).
std::optional<std::string> ChosenDdeTopic(bool specifyTopic, std::string_view boxText);

}  // namespace quorvane
