#pragma once

#include "StoredColour.h"

#include <QLineEdit>

namespace gearlog {

// The colour dialog, starting at a stored colour; -1 when cancelled.
int choose_colour(int initialCode);

// A box whose background is a colour; a click (or Space/Enter) asks for
// another one.
class ColourBox : public QLineEdit {
    Q_OBJECT
public:
    explicit ColourBox(QWidget* parent = nullptr);
    int code() const { return m_code; }
    void setCode(int code);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_code = 0;
};

} // namespace gearlog
