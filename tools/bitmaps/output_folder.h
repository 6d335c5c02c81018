#pragma once
// Where the pictures go, and what was written there.

#include <QString>
#include <QStringList>

namespace ostrel::bitmaps {

class Sketch;

class OutputFolder {
 public:
  explicit OutputFolder(QString path) : path_(std::move(path)) {}
  const QString& path() const { return path_; }
  // Writes the sketch as name; a failure is remembered and reported.
  void save(Sketch& sketch, const QString& name);
  const QStringList& written() const { return written_; }
  const QStringList& failed() const { return failed_; }

 private:
  QString path_;
  QStringList written_;
  QStringList failed_;
};

}  // namespace ostrel::bitmaps
