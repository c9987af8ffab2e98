#include "DataSourceDialog.h"

#include "ConnectionString.h"
#include "DialogButtons.h"
#include "EngineError.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace gearlog {

namespace {
QLineEdit* field(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}
} // namespace

DataSourceDialog::DataSourceDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DataSourceDialog"));
    setWindowTitle(QStringLiteral("Server Database"));
    // Room for a path and for the warnings to read in a few lines.
    setMinimumWidth(520);
    auto* form = new QFormLayout(this);
    m_driver = new QComboBox(this);
    m_driver->setObjectName(QStringLiteral("Combo_driver"));
    // The servers we have a dialect for.
    m_driver->addItem(QStringLiteral("QPSQL"));
    m_host = field(this, "Text_host");
    m_host->setPlaceholderText(QStringLiteral("a server, or a list tried in order: db1,db2"));
    m_port = field(this, "Text_port");
    m_port->setPlaceholderText(QStringLiteral("default; one per host for a list: 5432,5433"));
    m_database = field(this, "Text_database");
    m_user = field(this, "Text_user");
    m_password = field(this, "Text_password");
    m_password->setEchoMode(QLineEdit::Password);
    m_sslMode = new QComboBox(this);
    m_sslMode->setObjectName(QStringLiteral("Combo_ssl_mode"));
    // "default" writes no SSLMode: libpq's own choice, as stored
    // connections made before had.
    for (const char* mode : {"verify-full", "verify-ca", "require", "prefer", "disable"})
        m_sslMode->addItem(QString::fromLatin1(mode), QString::fromLatin1(mode));
    m_sslMode->addItem(QStringLiteral("default"), QString());
    m_sslMode->setCurrentIndex(m_sslMode->findData(QString()));
    m_service = field(this, "Text_service");
    m_service->setPlaceholderText(QStringLiteral("a service of the service file, if any"));
    // The kind of server a host list must reach: one that takes writes
    // unless chosen otherwise.
    m_sessionKind = new QComboBox(this);
    m_sessionKind->setObjectName(QStringLiteral("Combo_target_session_attrs"));
    m_sessionKind->addItem(QStringLiteral("default (read-write for a host list)"), QString());
    for (const char* kind :
         {"read-write", "any", "read-only", "primary", "standby", "prefer-standby"})
        m_sessionKind->addItem(QString::fromLatin1(kind), QString::fromLatin1(kind));
    m_connectTimeout = new QSpinBox(this);
    m_connectTimeout->setObjectName(QStringLiteral("Text_connect_timeout"));
    m_connectTimeout->setRange(0, 600);
    m_connectTimeout->setSuffix(QStringLiteral(" s"));
    m_connectTimeout->setSpecialValueText(QStringLiteral("default"));
    m_sslRootCert = field(this, "Text_ssl_root_cert");
    m_sslCert = field(this, "Text_ssl_cert");
    m_sslKey = field(this, "Text_ssl_key");
    // Labels are the inputs' buddies, so each input is known by its label.
    const std::pair<const char*, QWidget*> rows[] = {{"&Driver", m_driver},
                                                     {"&Host", m_host},
                                                     {"P&ort", m_port},
                                                     {"Data&base", m_database},
                                                     {"&User", m_user},
                                                     {"&Password", m_password},
                                                     {"Ser&vice", m_service},
                                                     {"&Servers to reach", m_sessionKind},
                                                     {"Connect &timeout", m_connectTimeout},
                                                     {"&Encryption (SSLMode)", m_sslMode},
                                                     {"&Root certificate", m_sslRootCert},
                                                     {"&Client certificate", m_sslCert},
                                                     {"Client &key", m_sslKey}};
    for (const auto& [label, input] : rows)
        form->addRow(QString::fromLatin1(label), input);
    m_exposure = new QLabel(this);
    m_exposure->setObjectName(QStringLiteral("Label_exposure"));
    m_exposure->setWordWrap(true);
    m_exposure->setAccessibleName(QStringLiteral("Connection security"));
    m_exposure->setText(QStringLiteral(
        "Warning: without verify-full, the traffic to this server can be read, and another "
        "machine can pretend to be the server and receive your password."));
    m_exposure->hide();
    form->addRow(m_exposure);
    connect(m_host, &QLineEdit::textChanged, this, &DataSourceDialog::followHost);
    connect(m_sslMode, &QComboBox::activated, this, [this] {
        m_modeChosen = true;
        showExposure();
    });
    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("Label_error"));
    m_error->setWordWrap(true);
    m_error->setAccessibleName(QStringLiteral("Connection error"));
    m_error->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_error->hide();
    form->addRow(m_error);
    const OkCancel buttons = okCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, &DataSourceDialog::tryConnect);
    connect(buttons.cancel, &QPushButton::clicked, this, &QDialog::reject);
    form->addRow(buttons.box);
}

void DataSourceDialog::prefill(const QString& connectionString, const QString& message) {
    ConnectionString c;
    QString problem = message;
    try {
        c = ConnectionString::parse(connectionString);
    } catch (const EngineError& e) {
        // A damaged stored string: start from empty fields and say why.
        problem = e.description();
    }
    m_driver->setCurrentText(c.driver);
    m_host->setText(c.host);
    m_port->setText(c.portText());
    m_service->setText(c.service);
    m_sessionKind->setCurrentIndex(std::max(0, m_sessionKind->findData(c.targetSessionAttrs)));
    m_connectTimeout->setValue(c.connectTimeout);
    m_database->setText(c.database);
    m_user->setText(c.user);
    // A stored connection keeps its own setting, even none.
    m_modeChosen = true;
    m_sslMode->setCurrentIndex(std::max(0, m_sslMode->findData(c.sslMode)));
    m_sslRootCert->setText(c.sslRootCert);
    m_sslCert->setText(c.sslCert);
    m_sslKey->setText(c.sslKey);
    m_statementTimeout = c.statementTimeout;
    showExposure();
    m_error->setText(problem);
    m_error->setVisible(!problem.isEmpty());
}

QString DataSourceDialog::connectionString() const {
    ConnectionString c;
    c.driver = m_driver->currentText();
    c.host = m_host->text().trimmed();
    c.setPorts(m_port->text());
    c.database = m_database->text().trimmed();
    c.user = m_user->text().trimmed();
    c.sslMode = m_sslMode->currentData().toString();
    c.sslRootCert = m_sslRootCert->text().trimmed();
    c.sslCert = m_sslCert->text().trimmed();
    c.sslKey = m_sslKey->text().trimmed();
    c.service = m_service->text().trimmed();
    c.targetSessionAttrs = m_sessionKind->currentData().toString();
    c.connectTimeout = m_connectTimeout->value();
    c.statementTimeout = m_statementTimeout;
    return c.toString();
}

void DataSourceDialog::followHost() {
    if (!m_modeChosen) {
        ConnectionString c;
        c.host = m_host->text().trimmed();
        m_sslMode->setCurrentIndex(
            m_sslMode->findData(c.isLocal() ? QString() : QStringLiteral("verify-full")));
    }
    showExposure();
}

void DataSourceDialog::showExposure() {
    ConnectionString c;
    c.host = m_host->text().trimmed();
    c.sslMode = m_sslMode->currentData().toString();
    m_exposure->setVisible(c.isExposed());
    // Grows or shrinks with the warning, so all of it can be read.
    adjustSize();
}

QString DataSourceDialog::errorText() const {
    return m_error->isVisible() ? m_error->text() : QString();
}

void DataSourceDialog::tryConnect() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        m_session = Session::openServer(connectionString(), m_password->text());
        QApplication::restoreOverrideCursor();
        accept();
    } catch (const EngineError& e) {
        QApplication::restoreOverrideCursor();
        m_error->setText(e.description());
        m_error->show();
        (needsPassword(e.description()) ? m_password : m_host)->setFocus();
    }
}

bool needsPassword(const QString& serverMessage) {
    return serverMessage.contains(QLatin1String("no password supplied")) ||
           serverMessage.contains(QLatin1String("password authentication failed"));
}

} // namespace gearlog
