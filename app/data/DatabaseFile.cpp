#include "DatabaseFile.h"

#include "EngineError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace gearlog {

namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

[[noreturn]] void failWith(const QString& path, int error) {
    throw EngineError(QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(strerror(error))),
                      QStringLiteral("write file"));
}

// Moves `from` to `to` only if nothing is at `to`, in one step.
void moveExclusive(const QString& from, const QString& to) {
    if (::renameat2(AT_FDCWD, native(from).constData(), AT_FDCWD, native(to).constData(),
                    RENAME_NOREPLACE) == 0)
        return;
    if (errno == EEXIST)
        throw EngineError(to + QStringLiteral(" already exists."), QStringLiteral("write file"));
    if (errno != EINVAL && errno != ENOSYS)
        failWith(to, errno);
    // File systems without that rename (NFS) still make a link exclusively.
    if (::link(native(from).constData(), native(to).constData()) != 0) {
        if (errno == EEXIST)
            throw EngineError(to + QStringLiteral(" already exists."),
                              QStringLiteral("write file"));
        failWith(to, errno);
    }
    ::unlink(native(from).constData());
}

void moveReplacing(const QString& from, const QString& to) {
    struct stat st {};
    if (::lstat(native(to).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        throw EngineError(to + QStringLiteral(" is not a file that can be replaced."),
                          QStringLiteral("write file"));
    // The old database's journal must not meet the new file.
    removeJournalFiles(to);
    if (::rename(native(from).constData(), native(to).constData()) != 0)
        failWith(to, errno);
}

} // namespace

bool pathTaken(const QString& path) {
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0;
}

void removeJournalFiles(const QString& path) {
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        const QString journal = path + QLatin1String(suffix);
        struct stat st {};
        if (::lstat(native(journal).constData(), &st) == 0 && S_ISREG(st.st_mode))
            QFile::remove(journal);
    }
}

void writeDatabaseFile(const QString& path, bool replace,
                       const std::function<void(const QString& temporary)>& fill) {
    const QFileInfo target(path);
    if (!replace && pathTaken(path))
        throw EngineError(path + QStringLiteral(" already exists."), QStringLiteral("write file"));
    if (!QFileInfo(target.absolutePath()).isDir())
        throw EngineError(target.absolutePath() + QStringLiteral(" is not a folder."),
                          QStringLiteral("write file"));
    // Hidden, and named so that it can never be taken for the database.
    const QString temporary =
        QDir(target.absolutePath())
            .filePath(QStringLiteral(".%1.%2.tmp")
                          .arg(target.fileName(), QUuid::createUuid().toString(QUuid::Id128)));
    try {
        fill(temporary);
        if (replace)
            moveReplacing(temporary, path);
        else
            moveExclusive(temporary, path);
    } catch (...) {
        QFile::remove(temporary);
        removeJournalFiles(temporary);
        throw;
    }
}

bool isNetworkFileSystemType(unsigned long type) {
    switch (type) {
    case 0x6969UL:     // NFS
    case 0x517BUL:     // SMB
    case 0xFF534D42UL: // CIFS
    case 0xFE534D42UL: // SMB2
    case 0x564C7UL:    // NCP
    case 0x6B414653UL: // AFS
        return true;
    default:
        return false;
    }
}

bool onNetworkFileSystem(const QString& folder) {
    struct statfs fs {};
    if (::statfs(native(folder).constData(), &fs) != 0)
        return false;
    return isNetworkFileSystemType(static_cast<unsigned long>(fs.f_type));
}

bool logInUse(const QString& path) {
    struct stat index {};
    if (::stat(QFile::encodeName(path + QStringLiteral("-shm")).constData(), &index) != 0)
        return false; // no index: nobody has the log open
    // The kernel lists every lock as "... dev-major:dev-minor:inode from to";
    // reading the list opens no descriptor on the index, whose closing
    // would drop this process's own locks on it.
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return true;
    const QByteArray mark = QStringLiteral(" %1:%2:%3 ")
                                .arg(major(index.st_dev), 2, 16, QLatin1Char('0'))
                                .arg(minor(index.st_dev), 2, 16, QLatin1Char('0'))
                                .arg(index.st_ino)
                                .toLatin1();
    return locks.readAll().contains(mark);
}

} // namespace gearlog
