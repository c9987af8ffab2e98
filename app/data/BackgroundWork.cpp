#include "BackgroundWork.h"

#include "EngineError.h"
#include "FreedMemory.h"

#include <QThread>

namespace gearlog {

BackgroundWork::BackgroundWork(std::function<std::unique_ptr<Store>()> connect,
                               std::function<void(Store&)> work, QObject* parent)
    : QObject(parent) {
    m_thread = QThread::create([this, connect = std::move(connect), work = std::move(work)] {
        try {
            const std::unique_ptr<Store> store = connect();
            work(*store);
        } catch (const EngineError& e) {
            m_error = e.description();
        } catch (const std::exception& e) {
            m_error = QString::fromLocal8Bit(e.what());
        }
        returnFreedMemory();
    });
    // Read once the thread has ended, on this object's thread.
    QObject::connect(m_thread, &QThread::finished, this, [this] { emit finished(m_error); });
    m_thread->start(QThread::LowPriority);
}

BackgroundWork::~BackgroundWork() {
    m_thread->wait();
    delete m_thread;
}

} // namespace gearlog
