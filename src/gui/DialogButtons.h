// The OK and Cancel row of the setup dialogs: OK is the default button, both carry their
// string ids and the names the dialogs' tests find them by.
#pragma once

class QBoxLayout;
class QPushButton;
class QWidget;

namespace quorvane {

struct OkCancelButtons {
    QPushButton* Ok = nullptr;
    QPushButton* Cancel = nullptr;
};

// Adds the row to layout (owned by dialog), with the texts of okId and cancelId.
OkCancelButtons AddOkCancelButtons(QWidget* dialog, QBoxLayout* layout, int okId, int cancelId);

}  // namespace quorvane
