#include "gui/config/config_print.h"

#include <QAbstractTextDocumentLayout>
#include <QDateTime>
#include <QLocale>
#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>

#include "core/model/model_records.h"
#include "core/support/notice.h"
#include "core/support/text_format.h"

namespace ostrel {
namespace {

constexpr double kMarginMm = 15.0;
constexpr double kFontPt = 9.5;
const char* const kLogoUrl = "ostrel-report:logo";

QString esc(const std::string& s) { return QString::fromStdString(s).toHtmlEscaped(); }

QString sectionHtml(const ConfigReport::Section& s) {
  QString h = QStringLiteral("<h2>%1</h2>").arg(esc(s.heading));
  if (!s.subtitle.empty()) h += QStringLiteral("<p class='sub'>%1</p>").arg(esc(s.subtitle));
  if (!s.lines.empty()) {
    h += QStringLiteral("<table class='t' width='100%' cellspacing='0' cellpadding='2'>");
    for (const ConfigReport::Line& l : s.lines) {
      // An empty box prints as a dash, so a blank is not mistaken for a gap.
      h += QStringLiteral("<tr><td class='c' width='42%'>%1</td><td class='v'>%2").arg(
          esc(l.caption), l.value.empty() ? QStringLiteral("&mdash;") : esc(l.value));
      if (!l.units.empty()) h += QStringLiteral("&nbsp;&nbsp;<span class='u'>%1</span>").arg(esc(l.units));
      h += QStringLiteral("</td></tr>");
    }
    h += QStringLiteral("</table>");
  }
  if (!s.footnote.empty()) h += QStringLiteral("<p class='note'>%1</p>").arg(esc(s.footnote));
  return h;
}

QString strappingHtml(const ConfigReport& r) {
  if (r.strapping.empty()) return {};
  // Four column pairs side by side keep a full table of 32 rows short.
  constexpr int kPairs = 4;
  const int rows = (static_cast<int>(r.strapping.size()) + kPairs - 1) / kPairs;
  QString h = QStringLiteral("<h2>%1</h2>").arg(esc(r.strappingHeading));
  h += QStringLiteral("<table class='s' width='100%' cellspacing='0' cellpadding='1'><tr>");
  for (int c = 0; c < kPairs; ++c) {
    h += QStringLiteral("<th align='right'>%1</th><th align='right'>%2</th>")
             .arg(esc(r.strappingLevelCaption), esc(r.strappingVolumeCaption));
  }
  h += QStringLiteral("</tr>");
  for (int row = 0; row < rows; ++row) {
    h += QStringLiteral("<tr>");
    for (int c = 0; c < kPairs; ++c) {
      const int i = c * rows + row;
      if (i < static_cast<int>(r.strapping.size())) {
        const auto& s = r.strapping[static_cast<std::size_t>(i)];
        h += QStringLiteral("<td align='right'>%1</td><td align='right'>%2</td>").arg(esc(s.level), esc(s.volume));
      } else {
        h += QStringLiteral("<td></td><td></td>");
      }
    }
    h += QStringLiteral("</tr>");
  }
  return h + QStringLiteral("</table>");
}

QString reportHtml(const ConfigReport& r, bool logo) {
  QString h = QStringLiteral(
      "<html><head><style>"
      "h1 { font-size: 17pt; margin: 0; }"
      "h2 { font-size: 11pt; color: #1f4e6b; margin-top: 12pt; margin-bottom: 3pt; }"
      "p.sub { font-weight: bold; margin: 0 0 2pt 0; }"
      "p.logo { color: #4c738a; font-size: 9pt; margin: 0; }"
      "p.ident { font-size: 11pt; margin: 2pt 0 0 0; }"
      "p.note { color: #4c738a; margin: 2pt 0 0 0; }"
      "td.c { color: #444444; }"
      "td.v { font-weight: bold; }"
      "span.u { font-weight: normal; color: #444444; }"
      "table.s th { color: #444444; font-weight: normal; }"
      "</style></head><body>");
  h += QStringLiteral("<table width='100%' cellspacing='0' cellpadding='0'><tr>");
  if (logo) h += QStringLiteral("<td width='1%' valign='middle'><img src='%1' height='44'></td><td width='12'></td>").arg(kLogoUrl);
  h += QStringLiteral("<td valign='middle'><p class='logo'>%1</p><h1>%2</h1>"
                      "<p class='ident'>%3</p></td></tr></table>")
           .arg(esc(r.logoLine), esc(r.title),
                esc(r.description.empty() ? r.model : r.description));
  h += QStringLiteral("<hr>");
  // Two columns: what the unit is and how it is configured on the left,
  // its numbers on the right.
  h += QStringLiteral("<table width='100%' cellspacing='0' cellpadding='0'><tr><td width='48%' valign='top'>");
  h += sectionHtml(r.unit) + sectionHtml(r.configuration);
  h += QStringLiteral("</td><td width='4%'></td><td width='48%' valign='top'>");
  h += sectionHtml(r.heights);
  if (!r.levels.lines.empty() || !r.levels.subtitle.empty()) h += sectionHtml(r.levels);
  if (r.structure) h += sectionHtml(*r.structure);
  h += QStringLiteral("</td></tr></table>");
  if (!r.strapping.empty()) h += strappingHtml(r);
  if (!r.notes.empty()) {
    h += QStringLiteral("<h2>%1</h2><p>%2</p>")
             .arg(esc(r.notesCaption), esc(r.notes).replace(QLatin1Char('\n'), QStringLiteral("<br>")));
  }
  return h + QStringLiteral("</body></html>");
}

// Paints the page into `area` (device pixels) of a device of `dpi`.
void paintPage(QPainter& painter, QPaintDevice* device, const QRectF& area, const ConfigReport& r,
               const QString& logoPath) {
  QFont font = painter.font();
  font.setFamily(QStringLiteral("Sans Serif"));
  font.setPointSizeF(kFontPt);

  QTextDocument doc;
  doc.documentLayout()->setPaintDevice(device);
  doc.setDefaultFont(font);
  doc.setDocumentMargin(0);
  const QImage logo = logoPath.isEmpty() ? QImage() : QImage(logoPath);
  if (!logo.isNull()) doc.addResource(QTextDocument::ImageResource, QUrl(QString::fromLatin1(kLogoUrl)), logo);
  doc.setHtml(reportHtml(r, !logo.isNull()));

  painter.setFont(font);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const QFontMetricsF metrics(font, device);
  const double footer = metrics.height() * 2.5;
  const double room = area.height() - footer;
  // One page: a report too long for it is drawn smaller, laid out again at
  // the wider width the smaller scale gives.
  double scale = 1.0;
  doc.setTextWidth(area.width());
  for (int pass = 0; pass < 3 && doc.size().height() * scale > room; ++pass) {
    scale = room / doc.size().height() * scale;
    doc.setTextWidth(area.width() / scale);
  }
  scale = std::min(scale, room / doc.size().height());

  painter.save();
  painter.translate(area.topLeft());
  painter.scale(scale, scale);
  doc.drawContents(&painter);
  painter.restore();

  const double y = area.bottom() - metrics.height() * 1.5;
  painter.setPen(QPen(QColor(0x1f, 0x4e, 0x6b), std::max(1.0, metrics.height() / 14)));
  painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
  painter.setPen(Qt::black);
  const QRectF line(area.left(), y + metrics.height() * 0.3, area.width(), metrics.height());
  painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(r.dateCaption + ": " + r.date));
  painter.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter,
                   QString::fromStdString(r.model + (r.serial != 0 ? "  #" + std::to_string(r.serial) : "")));
  painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                   QString::fromStdString(formatText(r.pageFormat, {1, 1})));
}

QPageLayout a4Layout() {
  return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
}

}  // namespace

void renderReport(QPagedPaintDevice& device, const ConfigReport& report, const QString& logoPath) {
  QPainter painter(&device);
  if (!painter.isActive()) return;
  paintPage(painter, &device, QRectF(0, 0, device.width(), device.height()), report, logoPath);
}

QImage reportImage(const ConfigReport& report, const QString& logoPath, int dpi) {
  const QPageLayout layout = a4Layout();
  const QRect full = layout.fullRectPixels(dpi);
  QImage image(full.size(), QImage::Format_RGB32);
  const int dotsPerMeter = static_cast<int>(dpi / 0.0254 + 0.5);
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  paintPage(painter, &image, QRectF(layout.paintRectPixels(dpi)), report, logoPath);
  return image;
}

void printReport(QWidget* parent, const ConfigReport& report, const QString& logoPath) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageLayout(a4Layout());
  printer.setDocName(QString::fromStdString(report.title + " " + report.model));
  QPrintPreviewDialog preview(&printer, parent);
  preview.setWindowTitle(QString::fromStdString(report.title));
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                   [&](QPrinter* target) { renderReport(*target, report, logoPath); });
  preview.exec();
}

bool saveReportPdf(const ConfigReport& report, const QString& path, const QString& logoPath) {
  QFile probe(path);
  if (!probe.open(QIODevice::WriteOnly)) return false;
  probe.close();
  QPdfWriter pdf(path);
  pdf.setResolution(300);
  pdf.setPageLayout(a4Layout());
  pdf.setTitle(QString::fromStdString(report.title + " " + report.model +
                                      (report.serial != 0 ? " " + std::to_string(report.serial) : "")));
  pdf.setCreator(QString::fromStdString(report.logoLine));
  QPainter painter(&pdf);
  if (!painter.isActive()) return false;
  paintPage(painter, &pdf, QRectF(0, 0, pdf.width(), pdf.height()), report, logoPath);
  return painter.end();
}

bool printConfiguration(QWidget* parent, const ConfigPageModel& page, const ModelRecords& records,
                        const std::filesystem::path& bitmaps, Presenter& presenter) {
  const QString date = QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
  const ConfigReportResult built = ConfigReport::build(page, records, date.toStdString());
  if (!built.report) {
    if (built.refusal) {
      showNotice(presenter, *built.refusal, &records.Language, records.Values.LanguageNumber);
    }
    return false;
  }
  const std::string logo = records.Identity.LogoImage;
  printReport(parent, *built.report,
              logo.empty() ? QString() : QString::fromStdString((bitmaps / logo).string()));
  return true;
}

}  // namespace ostrel
