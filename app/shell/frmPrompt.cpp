#include "frmPrompt.h"

#include "DialogButtons.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace gearlog {

frmPrompt::frmPrompt(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPrompt"));
    setWindowTitle(QStringLiteral("DataSource Type"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Indicate the DataSource Type"), this);
    label->setObjectName(QStringLiteral("lblField"));
    m_server = new QRadioButton(QStringLiteral("Server database (connection string)"), this);
    m_server->setObjectName(QStringLiteral("optDataSource_0"));
    m_server->setProperty("Index", 0);
    m_file = new QRadioButton(QStringLiteral("Database file (*.gearlog)"), this);
    m_file->setObjectName(QStringLiteral("optDataSource_1"));
    m_file->setProperty("Index", 1);
    m_server->setChecked(true);
    auto* group = new QButtonGroup(this);
    group->addButton(m_server);
    group->addButton(m_file);
    const OkCancel buttons = okCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, [this] {
        m_cancelled = false;
        accept();
    });
    connect(buttons.cancel, &QPushButton::clicked, this, [this] {
        m_cancelled = true;
        reject();
    });
    layout->addWidget(label);
    layout->addWidget(m_server);
    layout->addWidget(m_file);
    layout->addWidget(buttons.box);
}

bool frmPrompt::serverChosen() const {
    return m_server->isChecked();
}

} // namespace gearlog
