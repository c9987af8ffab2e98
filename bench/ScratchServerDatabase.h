#pragma once

#include "Store.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace gearlog::bench {

// An empty database of its own on the server a benchmark runs beside,
// dropped when the benchmark is done with it.
class ScratchServerDatabase {
public:
    ScratchServerDatabase(const QString& server, const QString& prefix)
        : m_admin(openServerStore(server)),
          m_name(QStringLiteral("%1_%2").arg(prefix).arg(QCoreApplication::applicationPid())),
          m_connection(server) {
        m_admin->execute(QStringLiteral("CREATE DATABASE %1").arg(m_name), {});
        m_connection.replace(QRegularExpression(QStringLiteral("Database=[^;]*")),
                             QStringLiteral("Database=") + m_name);
    }
    ~ScratchServerDatabase() {
        m_admin->execute(QStringLiteral("DROP DATABASE %1").arg(m_name), {});
    }
    ScratchServerDatabase(const ScratchServerDatabase&) = delete;
    ScratchServerDatabase& operator=(const ScratchServerDatabase&) = delete;

    const QString& connection() const { return m_connection; }

private:
    std::unique_ptr<Store> m_admin;
    QString m_name;
    QString m_connection;
};

} // namespace gearlog::bench
