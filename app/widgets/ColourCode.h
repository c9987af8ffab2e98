#pragma once

#include <QColor>
#include <QLineEdit>

namespace gearlog {

// Colours are stored as 0x00BBGGRR and become QColor only at the widget edge.
QColor colourFromCode(int code);
int codeFromColour(const QColor& colour);

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
