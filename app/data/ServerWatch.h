#pragma once

#include <QString>
#include <QtGlobal>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace gearlog {

// Tells a server that has stopped answering from one that is only busy.
// While a statement waits, the server is asked now and then, on a
// connection of its own, whether it answers at all (a busy server does at
// once); when it does not, the waiting connection is cut, so the statement
// fails within seconds instead of waiting for the server to come back.
class ServerWatch {
public:
    // The server's host (empty or a folder for a socket) and port; `socket`
    // is the waiting connection's.
    ServerWatch(QString host, int port, int socket);
    ~ServerWatch();
    ServerWatch(const ServerWatch&) = delete;
    ServerWatch& operator=(const ServerWatch&) = delete;

    // Marks one statement's wait; true afterwards when the watch cut it.
    // No watch (a connection not yet made again) watches nothing.
    class Waiting {
    public:
        explicit Waiting(ServerWatch* watch);
        ~Waiting();
        Waiting(const Waiting&) = delete;
        Waiting& operator=(const Waiting&) = delete;

    private:
        ServerWatch* m_watch;
    };
    bool cut() const;

private:
    void run();
    bool answers() const;

    const QByteArray m_host, m_port;
    const int m_socket;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_waiting = false, m_stopping = false, m_cut = false;
    std::chrono::steady_clock::time_point m_since;
    quint64 m_statement = 0; // which wait this is, counted from the first
    std::thread m_thread;
};

} // namespace gearlog
