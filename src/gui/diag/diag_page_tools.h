#pragma once
// What the live, diagnostics and echo-curve pages share: F1 and a right
// click open the page's help topic, and a plot is saved as a PNG picture or
// its samples as a CSV file for a service report.

#include <QString>
#include <string>

class QImage;
class QWidget;

namespace ostrel {

class AppContext;
class QtPresenter;

// Installs context help on the page: every control opens topic from the
// family's main help.
void installPageHelp(QWidget* page, AppContext& ctx, QtPresenter& presenter, const char* topic);

// Asks for a file name (the suggested name in the user's documents folder)
// and writes the picture or the text to a temporary file renamed into place.
// A failed write is shown; returns the path written, empty when none.
QString savePicture(QWidget* parent, AppContext& ctx, QtPresenter& presenter, const QImage& image,
                    const QString& suggestedName);
QString saveSamples(QWidget* parent, AppContext& ctx, QtPresenter& presenter,
                    const std::string& csv, const QString& suggestedName);

// The writes themselves, without a dialog; false when the file could not be
// written (an existing file is then left as it was).
bool writePicture(const QString& path, const QImage& image);
bool writeSamples(const QString& path, const std::string& csv);

}  // namespace ostrel
