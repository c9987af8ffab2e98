#pragma once

#include "Store.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QThread;

namespace gearlog {

// Work on a database that must not hold the window (building indexes,
// reading long lists), run on a thread and a connection of its own.
class BackgroundWork : public QObject {
    Q_OBJECT
public:
    // Starts at once: `connect` opens the connection (on the worker), and
    // `work` uses it there.
    BackgroundWork(std::function<std::unique_ptr<Store>()> connect,
                   std::function<void(Store&)> work, QObject* parent = nullptr);
    // Waits for the work: its connection must not outlive the program.
    ~BackgroundWork() override;

signals:
    // Told on the thread that made this; `error` is empty when it is done.
    void finished(const QString& error);

private:
    QThread* m_thread = nullptr;
    QString m_error;
};

} // namespace gearlog
