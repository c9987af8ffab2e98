#include "ServerWatch.h"

#include <libpq-fe.h>
#include <sys/socket.h>

namespace gearlog {

namespace {
// How long a statement waits before the server is asked, and how long the
// server has to answer that.
constexpr auto quietFor = std::chrono::seconds(5);
constexpr const char* answerWithin = "4";
} // namespace

ServerWatch::ServerWatch(QString host, int port, int socket)
    : m_host(host.toUtf8()), m_port(port > 0 ? QByteArray::number(port) : QByteArray()),
      m_socket(socket), m_thread(&ServerWatch::run, this) {}

ServerWatch::~ServerWatch() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

ServerWatch::Waiting::Waiting(ServerWatch* watch) : m_watch(watch) {
    if (!m_watch)
        return;
    {
        const std::lock_guard lock(m_watch->m_mutex);
        m_watch->m_waiting = true;
        m_watch->m_since = std::chrono::steady_clock::now();
        ++m_watch->m_statement;
    }
    m_watch->m_wake.notify_all();
}

ServerWatch::Waiting::~Waiting() {
    if (!m_watch)
        return;
    const std::lock_guard lock(m_watch->m_mutex);
    m_watch->m_waiting = false;
}

bool ServerWatch::cut() const {
    const std::lock_guard lock(m_mutex);
    return m_cut;
}

bool ServerWatch::answers() const {
    const char* keys[] = {"host", "port", "connect_timeout", "dbname", nullptr};
    const char* values[] = {m_host.isEmpty() ? nullptr : m_host.constData(),
                            m_port.isEmpty() ? nullptr : m_port.constData(), answerWithin,
                            "postgres", nullptr};
    return PQpingParams(keys, values, 0) != PQPING_NO_RESPONSE;
}

void ServerWatch::run() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (!m_waiting || m_cut) {
            m_wake.wait(lock);
            continue;
        }
        const auto due = m_since + quietFor;
        if (std::chrono::steady_clock::now() < due) {
            m_wake.wait_until(lock, due);
            continue;
        }
        // The wait asked about: a later statement's is never cut for it.
        const quint64 asked = m_statement;
        lock.unlock();
        const bool alive = answers();
        lock.lock();
        if (alive) {
            m_since = std::chrono::steady_clock::now(); // ask again later
        } else if (m_waiting && m_statement == asked) {
            // Ends the wait: the statement fails and says why.
            ::shutdown(m_socket, SHUT_RDWR);
            m_cut = true;
        }
    }
}

} // namespace gearlog
