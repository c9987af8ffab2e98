#pragma once

#include <QColor>
#include <QImage>
#include <QString>

namespace gearlog::test {

// Writes a picture file of the given size and colour; returns its path.
inline QString writePicture(const QString& path, int width, int height, const QColor& colour,
                            const char* format = "PNG") {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    image.save(path, format);
    return path;
}

} // namespace gearlog::test
