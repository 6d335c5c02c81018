#pragma once
// Writes a picture as an uncompressed 24-bit Windows bitmap, the one format
// every reader of the Bitmaps folder understands.

#include <QImage>
#include <QString>

namespace ostrel::bitmaps {

// False when the file cannot be written.
bool writeBmp24(const QImage& image, const QString& path);

}  // namespace ostrel::bitmaps
