#pragma once

#include <QColor>

namespace gearlog {

// Colours are stored as 0x00BBGGRR and become QColor only at the edge (a
// widget, a file imported or exported).
inline QColor colourFromCode(int code) {
    return QColor(code & 0xFF, (code >> 8) & 0xFF, (code >> 16) & 0xFF);
}

inline int codeFromColour(const QColor& colour) {
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

} // namespace gearlog
