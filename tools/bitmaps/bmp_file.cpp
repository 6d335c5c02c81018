#include "bmp_file.h"

#include <QFile>

#include <cstdint>
#include <vector>

namespace ostrel::bitmaps {
namespace {

void put16(std::vector<unsigned char>& out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<unsigned char>(v & 0xFF);
  out[at + 1] = static_cast<unsigned char>((v >> 8) & 0xFF);
}

void put32(std::vector<unsigned char>& out, std::size_t at, std::uint32_t v) {
  put16(out, at, v & 0xFFFF);
  put16(out, at + 2, v >> 16);
}

}  // namespace

bool writeBmp24(const QImage& image, const QString& path) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  const auto width = static_cast<std::uint32_t>(rgb.width());
  const auto height = static_cast<std::uint32_t>(rgb.height());
  const std::uint32_t stride = (width * 3 + 3) & ~3u;  // rows end on 4 bytes
  const std::uint32_t pixelBytes = stride * height;
  constexpr std::uint32_t kHeader = 14 + 40;

  std::vector<unsigned char> out(kHeader + pixelBytes, 0);
  out[0] = 'B';
  out[1] = 'M';
  put32(out, 2, kHeader + pixelBytes);
  put32(out, 10, kHeader);
  put32(out, 14, 40);
  put32(out, 18, width);
  put32(out, 22, height);  // positive: rows stored bottom-up
  put16(out, 26, 1);
  put16(out, 28, 24);
  put32(out, 34, pixelBytes);
  put32(out, 38, 2835);  // 72 dpi
  put32(out, 42, 2835);

  for (std::uint32_t row = 0; row < height; ++row) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(static_cast<int>(row)));
    std::size_t at = kHeader + static_cast<std::size_t>(height - 1 - row) * stride;
    for (std::uint32_t x = 0; x < width; ++x) {
      out[at++] = static_cast<unsigned char>(qBlue(line[x]));
      out[at++] = static_cast<unsigned char>(qGreen(line[x]));
      out[at++] = static_cast<unsigned char>(qRed(line[x]));
    }
  }

  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const auto size = static_cast<qint64>(out.size());
  return file.write(reinterpret_cast<const char*>(out.data()), size) == size;
}

}  // namespace ostrel::bitmaps
