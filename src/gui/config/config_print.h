#pragma once
// The configuration report on paper: one A4 page with the logo line and
// title, captioned tables and a footer with the date and page number.
// Printing goes through Qt's print preview, from which the system's print
// dialog (and its PDF output) is reached.

#include <QImage>
#include <QString>
#include <filesystem>

#include "core/config/config_report.h"

class QPagedPaintDevice;
class QWidget;

namespace ostrel {

class ConfigPageModel;
class Presenter;
struct ModelRecords;

// Paints the report onto the device's first page, scaled down when it
// would not fit on one. logoPath names the logo picture; empty or missing:
// the logo line stands alone.
void renderReport(QPagedPaintDevice& device, const ConfigReport& report,
                  const QString& logoPath = {});

// The page as a picture at `dpi`, margins included (for a look at it).
QImage reportImage(const ConfigReport& report, const QString& logoPath = {}, int dpi = 100);

// The preview dialog over an A4 printer; its Print button opens the
// system's print dialog.
void printReport(QWidget* parent, const ConfigReport& report, const QString& logoPath = {});

// Writes the report as a one-page PDF; false when the file cannot be written.
bool saveReportPdf(const ConfigReport& report, const QString& path, const QString& logoPath = {});

// The Print button: the page's report dated now (local time) in the
// preview, with the corporate logo from `bitmaps`; an unmatched
// configuration shows its refusal instead. False when refused.
bool printConfiguration(QWidget* parent, const ConfigPageModel& page, const ModelRecords& records,
                        const std::filesystem::path& bitmaps, Presenter& presenter);

}  // namespace ostrel
