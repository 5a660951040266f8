#include "gui/setup/GetAKey.h"

#include <QListWidget>

#include "config/SetupGlobals.h"
#include "setup/KeyPickerRules.h"
#include "strings/StringIds.h"

namespace quorvane {

GetAKey::GetAKey(SetupGlobals& g)
    : KeyPickerForm(g, "GetAKey", kStrPickerKeystrokeTitle, kStrPickerKeystrokeOk,
                    kStrPickerKeystrokeCancel, KeystrokeList()) {}

GetAKey& GetAKey::Shared(SetupGlobals& g) {
    static GetAKey* picker = new GetAKey(g);
    picker->g_ = &g;  // made once, but a new configuration object (a test) is taken up
    return *picker;
}

std::string GetAKey::Pick(QWidget* parent) {
    RunModal(parent);
    return picked_;
}

void GetAKey::TakePick(int row, int modifiers) {
    picked_ = KeystrokeResult(EntryAt(row), modifiers, IsTrue(g_->DirectKeyEvents));
}

void GetAKey::RemoveNulEntry() {
    if (EntryAt(0) == kNulEntry) delete list_->takeItem(0);
    SetCurrentRow(0);
}

void GetAKey::RestoreNulEntry() {
    if (EntryAt(0) != kNulEntry) AddEntry(list_, 0, kNulEntry);
    SetCurrentRow(0);
}

}  // namespace quorvane
