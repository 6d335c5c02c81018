#include "gui/support/document_opener.h"

#include <QDesktopServices>
#include <QUrl>
#include <iostream>

namespace ostrel {

bool openDocument(const std::filesystem::path& file, bool unattended) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return false;
  if (unattended) {
    std::cerr << "[open] " << file.string() << std::endl;
    return true;
  }
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
}

}  // namespace ostrel
