#pragma once

#include <QDialog>

class QRadioButton;

namespace gearlog {

// "DataSource Type": a server database or a database file.
class frmPrompt : public QDialog {
    Q_OBJECT
public:
    explicit frmPrompt(QWidget* parent = nullptr);

    bool cancelled() const { return m_cancelled; }
    bool serverChosen() const;

private:
    QRadioButton* m_server;
    QRadioButton* m_file;
    bool m_cancelled = true;
};

} // namespace gearlog
