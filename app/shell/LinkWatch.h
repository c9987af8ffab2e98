#pragma once

#include "Store.h"

#include <QObject>
#include <QTimer>
#include <functional>

class QStatusBar;

namespace gearlog {

// Keeps a server desk's connection up between commands: asks the store
// every second and a half, says in the status bar while it reconnects and
// once it is back, and then has the views read again.
class LinkWatch : public QObject {
public:
    LinkWatch(Store& store, QStatusBar& bar, std::function<void()> restored,
              QObject* parent = nullptr);

    // Asks at once (the timer's own step).
    void check();

private:
    void announceBack();

    Store& m_store;
    QStatusBar& m_bar;
    std::function<void()> m_restored;
    QTimer m_timer;
    bool m_down = false;
};

} // namespace gearlog
