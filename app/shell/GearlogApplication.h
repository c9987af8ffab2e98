#pragma once

#include <QApplication>

namespace gearlog {

// The application object. Handlers report their own failures; one that
// still reaches the event loop is logged, never shown from here.
class GearlogApplication : public QApplication {
    Q_OBJECT
public:
    GearlogApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace gearlog
