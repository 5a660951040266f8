#include "gui/setup/GetAKey2.h"

#include "strings/StringIds.h"

namespace quorvane {

GetAKey2::GetAKey2(SetupGlobals& g)
    : KeyPickerForm(g, "GetAKey2", kStrPickerHotKeyTitle, kStrPickerHotKeyOk,
                    kStrPickerHotKeyCancel, HotKeyList()) {}

GetAKey2& GetAKey2::Shared(SetupGlobals& g) {
    static GetAKey2* picker = new GetAKey2(g);
    picker->g_ = &g;  // made once, but a new configuration object (a test) is taken up
    return *picker;
}

HotKeyPick GetAKey2::Pick(QWidget* parent) {
    RunModal(parent);
    return picked_;
}

}  // namespace quorvane
