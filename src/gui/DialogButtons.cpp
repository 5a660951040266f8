#include "gui/DialogButtons.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QString>

#include "gui/LocalizeForm.h"

namespace quorvane {

OkCancelButtons AddOkCancelButtons(QWidget* dialog, QBoxLayout* layout, int okId, int cancelId) {
    auto* buttons = new QDialogButtonBox(dialog);
    OkCancelButtons row;
    row.Ok = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    row.Ok->setObjectName("OK_Button");
    SetStringId(row.Ok, okId);
    row.Ok->setDefault(true);
    row.Cancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    row.Cancel->setObjectName("Cancel_Button");
    SetStringId(row.Cancel, cancelId);
    layout->addWidget(buttons);
    return row;
}

}  // namespace quorvane
