#include "gui/setup/WizardPage.h"

namespace quorvane {

WizardPage::WizardPage(SetupGlobals& g, Messages& messages, QWidget* parent)
    : QDialog(parent), g_(g), messages_(messages) {}

}  // namespace quorvane
