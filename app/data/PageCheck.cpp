#include "PageCheck.h"

#include "FreedMemory.h"
#include "SqliteConnection.h"

#include <QFileInfo>
#include <QObject>
#include <QUrl>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

namespace gearlog {

PageCheck::PageCheck(const QByteArray& uri, int flags, bool mapped)
    : m_home(std::make_unique<QObject>()), m_thread(&PageCheck::run, this, uri, flags, mapped) {}

PageCheck::~PageCheck() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        if (m_db)
            sqlite3_interrupt(m_db);
    }
    if (m_thread.joinable())
        m_thread.join();
}

void PageCheck::run(QByteArray uri, int flags, bool mapped) {
    // The desk's own work comes first: the check takes what time is left.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
    sqlite3* db = nullptr;
    QString problem;
    if (sqlite3_open_v2(uri.constData(), &db, flags | SQLITE_OPEN_URI, nullptr) == SQLITE_OK &&
        useFoldedNoCase(db)) {
        if (mapped)
            mapReads(db);
        // Every page is read once: keeping them would only cost memory.
        sqlite3_exec(db, "PRAGMA cache_size=-2048", nullptr, nullptr, nullptr);
        {
            const std::lock_guard lock(m_mutex);
            m_db = m_stopping ? nullptr : db;
        }
        sqlite3_stmt* stmt = nullptr;
        if (m_db &&
            sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &stmt, nullptr) == SQLITE_OK) {
            const int rc = sqlite3_step(stmt);
            if (rc == SQLITE_ROW) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
                if (qstrcmp(text, "ok") != 0)
                    problem = QString::fromUtf8(text);
            } else if (rc != SQLITE_INTERRUPT) {
                problem = QString::fromUtf8(sqlite3_errmsg(db));
            }
        }
        sqlite3_finalize(stmt);
    } else {
        problem = QString::fromUtf8(sqlite3_errmsg(db));
    }
    {
        const std::lock_guard lock(m_mutex);
        m_db = nullptr;
        m_result = problem;
    }
    sqlite3_close(db);
    returnFreedMemory();
    QMetaObject::invokeMethod(
        m_home.get(), [this] { report(); }, Qt::QueuedConnection);
}

QString PageCheck::result() {
    if (m_thread.joinable())
        m_thread.join();
    return m_result.value_or(QString());
}

std::optional<QString> PageCheck::damage() {
    const std::lock_guard lock(m_mutex);
    if (m_result && !m_result->isEmpty())
        return m_result;
    return std::nullopt;
}

void PageCheck::onDamage(std::function<void(const QString&)> found) {
    {
        const std::lock_guard lock(m_mutex);
        m_found = std::move(found);
    }
    QMetaObject::invokeMethod(
        m_home.get(), [this] { report(); }, Qt::QueuedConnection);
}

void PageCheck::report() {
    std::function<void(const QString&)> found;
    QString problem;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_found || !m_result || m_result->isEmpty())
            return;
        problem = *m_result;
        found = std::exchange(m_found, nullptr); // told once
    }
    found(problem);
}

QStringList checkPages(const QString& path, bool full) {
    constexpr int mostListed = 100;
    QStringList problems;
    sqlite3* db = nullptr;
    const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded() +
                           QByteArrayLiteral("?mode=ro");
    if (sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) !=
            SQLITE_OK ||
        !useFoldedNoCase(db)) {
        problems << QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return problems;
    }
    const QByteArray sql = QByteArray(full ? "PRAGMA integrity_check(" : "PRAGMA quick_check(") +
                           QByteArray::number(mostListed) + ')';
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        if ((rc = sqlite3_step(stmt)) != SQLITE_ROW)
            break;
        const QString text =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            if (line != QLatin1String("ok") && !line.startsWith(QLatin1String("*** ")))
                problems << line;
    }
    if (rc != SQLITE_DONE)
        problems << QStringLiteral("The page check stopped: ") +
                        QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return problems;
}

QString damageText(const QString& path, const QString& problem) {
    return QStringLiteral("%1 is damaged (%2). Run \"gearlog-admin check %1\" for the details and "
                          "restore the database from a backup.")
        .arg(path, problem);
}

QString damageInUseText(const QString& path, const QString& problem) {
    return QStringLiteral("%1 is damaged (%2). Another desk has the file open: it was left as it "
                          "is. Close Gearlog on every desk, then run \"gearlog-admin check %1\" "
                          "and restore the database from a backup if it finds damage.")
        .arg(path, problem);
}

} // namespace gearlog
