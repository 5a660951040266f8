// The hot key picker: one key of the key-name table with modifiers, as its display name and
// its hot key code. Made once and kept hidden between uses, so it opens on the entry chosen
// last time.
//
//   const HotKeyPick pick = GetAKey2::Shared(g).Pick(this);  // pick.Name empty: cancelled
#pragma once

#include "gui/setup/KeyPickerForm.h"
#include "setup/KeyPickerRules.h"

namespace quorvane {

class GetAKey2 : public KeyPickerForm {
  public:
    explicit GetAKey2(SetupGlobals& g);

    // The picker of the process, made on first use, without a parent window; g must outlive
    // the program's windows.
    static GetAKey2& Shared(SetupGlobals& g);

    // Shows the picker modally over parent and returns the pick; Name is empty when
    // cancelled.
    HotKeyPick Pick(QWidget* parent = nullptr);
    const HotKeyPick& Picked() const { return picked_; }

  protected:
    void TakePick(int row, int modifiers) override { picked_ = HotKeyPickOf(row, modifiers); }
    void ClearPick() override { picked_ = {}; }

  private:
    HotKeyPick picked_;
};

}  // namespace quorvane
