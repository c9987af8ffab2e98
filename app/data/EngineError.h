#pragma once

#include <QString>
#include <stdexcept>

namespace gearlog {

// A failure reported by the store (or by the data layer standing in for it).
// description() is the text a command shows after its own prefix.
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const QString& description)
        : std::runtime_error(description.toStdString()), m_description(description) {}
    const QString& description() const { return m_description; }

private:
    QString m_description;
};

} // namespace gearlog
