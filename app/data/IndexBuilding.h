#pragma once

#include "Store.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QThread;

namespace gearlog {

// The indexes and search tables a writable opening adds, built on a thread
// and a connection of their own, so that a large database's first opening
// never holds the window. Until they are committed, finding reads the rows
// the slower way and writes wait for the lock the build holds.
class IndexBuilding : public QObject {
    Q_OBJECT
public:
    // Starts at once; `connect` opens another connection to the database.
    explicit IndexBuilding(std::function<std::unique_ptr<Store>()> connect,
                           QObject* parent = nullptr);
    // Waits for the build: its connection must not outlive the program.
    ~IndexBuilding() override;

signals:
    // Told on the thread that made this; `error` is empty when they are built.
    void finished(const QString& error);

private:
    QThread* m_thread = nullptr;
    QString m_error;
};

} // namespace gearlog
