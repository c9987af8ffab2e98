#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class QObject;
struct sqlite3;

namespace gearlog {

// SQLite's quick check of every page of a database file, on a connection
// and a thread of its own: a large file opens at once and is checked while
// the desk works.
class PageCheck {
public:
    // `uri` and `flags` as sqlite3_open_v2 takes them (read-only);
    // `mapped` as FileReads::Mapped.
    PageCheck(const QByteArray& uri, int flags, bool mapped);
    ~PageCheck(); // stops the check if it still runs
    PageCheck(const PageCheck&) = delete;
    PageCheck& operator=(const PageCheck&) = delete;

    // The first problem found, or an empty text; waits for the end.
    QString result();
    // The problem, once the check has ended with one; never waits.
    std::optional<QString> damage();
    // `found` is called on the thread that started the check, with the
    // problem, if the check finds one.
    void onDamage(std::function<void(const QString&)> found);

private:
    void run(QByteArray uri, int flags, bool mapped);
    void report();

    std::unique_ptr<QObject> m_home; // lives on the starting thread
    std::mutex m_mutex;
    sqlite3* m_db = nullptr;
    bool m_stopping = false;
    std::optional<QString> m_result;
    std::function<void(const QString&)> m_found;
    std::thread m_thread;
};

// Every damaged page and index entry SQLite finds in the file (its quick
// check, or with `full` its integrity check, which reads the indexes
// against their tables too), one text each, naming the page; empty when
// the file is sound. A check that cannot go on is the last problem.
QStringList checkPages(const QString& path, bool full);

// "path is damaged (problem). Run ...": what the user is told of damage.
QString damageText(const QString& path, const QString& problem);
// The same, of a file that another desk has open: it is left as it is.
QString damageInUseText(const QString& path, const QString& problem);

} // namespace gearlog
