#pragma once

#include <QDialogButtonBox>

class QDialog;
class QPushButton;

namespace gearlog {

// A button box with "&OK" (cmdOK, the default) and "&Cancel" (cmdCancel);
// the caller connects them.
struct OkCancel {
    QDialogButtonBox* box;
    QPushButton* ok;
    QPushButton* cancel;
};
OkCancel okCancelButtons(QDialog* dialog);

} // namespace gearlog
