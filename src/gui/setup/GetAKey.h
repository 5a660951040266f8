// The keystroke picker: one keystroke in the keystroke macro notation, for the record
// definition and translation table editors. Made once and kept hidden between uses, so it
// opens on the entry chosen last time.
//
//   const std::string keys = GetAKey::Shared(g).Pick(this);  // such as "+^{F1}"; "" cancelled
#pragma once

#include <string>

#include "gui/setup/KeyPickerForm.h"

namespace quorvane {

class GetAKey : public KeyPickerForm {
  public:
    explicit GetAKey(SetupGlobals& g);

    // The picker of the process, made on first use, without a parent window; g must outlive
    // the program's windows.
    static GetAKey& Shared(SetupGlobals& g);

    // Shows the picker modally over parent and returns the macro text; "" when cancelled.
    std::string Pick(QWidget* parent = nullptr);
    const std::string& Picked() const { return picked_; }

    // Takes "NUL" off the top of the list (for a caller to which it means nothing) and
    // chooses the new first entry; RestoreNulEntry puts it back once and chooses it.
    void RemoveNulEntry();
    void RestoreNulEntry();

  protected:
    void TakePick(int row, int modifiers) override;
    void ClearPick() override { picked_.clear(); }

  private:
    std::string picked_;
};

}  // namespace quorvane
