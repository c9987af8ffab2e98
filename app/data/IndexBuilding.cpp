#include "IndexBuilding.h"

#include "EngineError.h"
#include "SchemaBuilder.h"

#include <QThread>

namespace gearlog {

IndexBuilding::IndexBuilding(std::function<std::unique_ptr<Store>()> connect, QObject* parent)
    : QObject(parent) {
    m_thread = QThread::create([this, connect = std::move(connect)] {
        try {
            const std::unique_ptr<Store> store = connect();
            upgradeSchema(*store, dialect::UpgradeSteps::Indexes);
        } catch (const EngineError& e) {
            m_error = e.description();
        } catch (const std::exception& e) {
            m_error = QString::fromLocal8Bit(e.what());
        }
    });
    // Read once the thread has ended, on this object's thread.
    QObject::connect(m_thread, &QThread::finished, this, [this] { emit finished(m_error); });
    m_thread->start(QThread::LowPriority);
}

IndexBuilding::~IndexBuilding() {
    m_thread->wait();
    delete m_thread;
}

} // namespace gearlog
