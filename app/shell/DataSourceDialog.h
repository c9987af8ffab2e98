#pragma once

#include "Session.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace gearlog {

// Chooses a server database: driver, host (or a list), port (or one per
// host), database, user and password, a libpq service, the kind of server
// a list must reach, and the TLS settings. OK connects; a failed connection is shown here with the
// server's message, so the user can correct it or cancel.
class DataSourceDialog : public QDialog {
    Q_OBJECT
public:
    explicit DataSourceDialog(QWidget* parent = nullptr);

    // Fills the fields from a connection string, with a message to show.
    void prefill(const QString& connectionString, const QString& message = {});
    // The connection string (never with the password) and the open session.
    QString connectionString() const;
    std::unique_ptr<Session> takeSession() { return std::move(m_session); }
    QString errorText() const;

    void tryConnect();

private:
    // A new connection to another machine is verified unless the user
    // chose otherwise; anything weaker is said plainly.
    void followHost();
    void showExposure();

    QComboBox* m_driver;
    QLineEdit* m_host;
    QLineEdit* m_port;
    QLineEdit* m_database;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QLineEdit* m_service;
    QComboBox* m_sessionKind;
    QSpinBox* m_connectTimeout;
    QComboBox* m_sslMode;
    QLineEdit* m_sslRootCert;
    QLineEdit* m_sslCert;
    QLineEdit* m_sslKey;
    QLabel* m_exposure;
    bool m_modeChosen = false;
    // The stored connection's statement time limit, which has no field: kept.
    int m_statementTimeout = -1;
    QLabel* m_error;
    std::unique_ptr<Session> m_session;
};

// True when a connection failure means the server wants a password.
bool needsPassword(const QString& serverMessage);

} // namespace gearlog
