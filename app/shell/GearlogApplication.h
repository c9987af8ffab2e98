#pragma once

#include <QApplication>

namespace gearlog {

// The application object. A database failure that reaches the event loop
// (a handler without its own report) is shown with the engine's text
// instead of ending the program.
class GearlogApplication : public QApplication {
    Q_OBJECT
public:
    GearlogApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace gearlog
