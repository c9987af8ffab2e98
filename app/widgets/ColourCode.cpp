#include "ColourCode.h"

#include "UiServices.h"

#include <QKeyEvent>

namespace gearlog {

int choose_colour(int initialCode) {
    const auto chosen = ui().chooseColour(colourFromCode(initialCode));
    return chosen ? codeFromColour(*chosen) : -1;
}

ColourBox::ColourBox(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    setCursor(Qt::PointingHandCursor);
    setCode(0);
}

void ColourBox::setCode(int code) {
    m_code = code;
    QPalette p = palette();
    p.setColor(QPalette::Base, colourFromCode(code));
    setPalette(p);
    setAccessibleDescription(colourFromCode(code).name());
}

void ColourBox::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    emit clicked();
}

void ColourBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        emit clicked();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace gearlog
