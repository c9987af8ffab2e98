// A 50 MB photograph stored on the server through the photo control and read
// back into another one, as the photograph view does, with the time of each
// and the program's peak resident memory. Run beside a server (make bench
// runs it through tools/with-postgres); a private database is made and
// dropped.
#include "BenchSupport.h"
#include "BinaryField.h"
#include "ConnectionString.h"
#include "SchemaBuilder.h"
#include "ScratchServerDatabase.h"
#include "Session.h"
#include <QApplication>

#include <imagelet/Imagelet.h>

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>

namespace {

using namespace gearlog;

constexpr qint64 pictureBytes = 50LL << 20;

// The most this process has held resident, in megabytes.
long peakResidentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong() / 1024;
    return -1;
}

void measure(const QString& target, const QString& file) {
    QElapsedTimer timer;
    timer.start();
    {
        auto session = Session::openServer(target);
        session->openTableCursors();
        Recordset& photos = session->rs_photo();
        imagelet::Imagelet control;
        control.setPhotoFileName(file);
        photos.addNew();
        photos.setValue(QStringLiteral("ID"), 1);
        photos.setValue(QStringLiteral("Name"), QStringLiteral("Large"));
        control.SavePhoto(*photos.binaryField(QStringLiteral("Photo")));
        photos.update();
    }
    const qint64 stored = timer.restart();
    auto session = Session::openServer(target);
    session->openTableCursors();
    Recordset& photos = session->rs_photo();
    photos.moveFirst();
    imagelet::Imagelet viewer;
    viewer.setConnectionType(static_cast<int>(ConnectionType::Server));
    viewer.LoadPhoto(*photos.binaryField(QStringLiteral("Photo")));
    const qint64 shown = timer.elapsed();
    std::printf("| A %lld MB photograph on the server | < 3 s, peak < 200 MB | stored in %lld ms, "
                "read back in %lld ms (%lld ms together), peak %ld MB resident |\n",
                pictureBytes >> 20, stored, shown, stored + shown, peakResidentMegabytes());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString server = qEnvironmentVariable("GEARLOG_TEST_PG");
    if (server.isEmpty()) {
        std::printf("No server (run through tools/with-postgres)\n");
        return 0;
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("large.jpg"));
    bench::writeNoiseFile(file, static_cast<int>(pictureBytes >> 20), 5);
    const bench::ScratchServerDatabase target(server, QStringLiteral("gearlog_photo"));
    buildSchema(*openServerStore(target.connection()));
    measure(target.connection(), file);
    return 0;
}
