#include "Form_main.h"

namespace gearlog {

Form_main::Form_main(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form_main"));
    setWindowTitle(QStringLiteral("Asset Database"));
    resize(1024, 720);
}

} // namespace gearlog
