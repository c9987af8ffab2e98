#include "LinkWatch.h"

#include <QStatusBar>

namespace gearlog {

namespace {
constexpr int askEveryMs = 1500;
constexpr int connectedShownMs = 10000;
} // namespace

LinkWatch::LinkWatch(Store& store, QStatusBar& bar, std::function<void()> restored, QObject* parent)
    : QObject(parent), m_store(store), m_bar(bar), m_restored(std::move(restored)) {
    connect(&m_timer, &QTimer::timeout, this, &LinkWatch::check);
    m_timer.start(askEveryMs);
}

void LinkWatch::check() {
    switch (m_store.keepLinked()) {
    case Store::Link::Up:
        // A command of the desk's own may have made the connection again.
        if (m_down)
            announceBack();
        return;
    case Store::Link::Restored:
        announceBack();
        return;
    case Store::Link::Down:
        if (!m_down)
            m_bar.showMessage(QStringLiteral("Reconnecting to %1…").arg(m_store.dataSourceName()));
        m_down = true;
        return;
    }
}

void LinkWatch::announceBack() {
    m_down = false;
    m_bar.showMessage(QStringLiteral("Connected to %1").arg(m_store.linkedTo()), connectedShownMs);
    m_restored();
}

} // namespace gearlog
