#include "gui/diag/diag_page_tools.h"

#include <QBuffer>
#include <QByteArray>
#include <QFileDialog>
#include <QImage>
#include <QStandardPaths>
#include <QWidget>
#include <optional>

#include "core/platform/atomic_file.h"
#include "core/session/app_context.h"
#include "core/support/presenter.h"
#include "core/support/text_format.h"
#include "gui/support/c_help_browser.h"
#include "gui/support/context_help.h"
#include "gui/support/qt_presenter.h"

namespace ostrel {
namespace {

constexpr const char* kFailedKey = "ERROR_MESSAGE_DIAGSAVE";

QString askPath(QWidget* parent, const QString& title, const QString& suggestedName,
                const QString& filter) {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return QFileDialog::getSaveFileName(parent, title, folder + "/" + suggestedName, filter);
}

void reportFailure(AppContext& ctx, QtPresenter& presenter, const QString& path) {
  presenter.messageBox(formatText(ctx.text(kFailedKey, "The file %s could not be written."),
                                  {path.toStdString()}),
                       kStyleError);
}

QString withoutDots(const std::string& caption) {
  QString s = QString::fromStdString(caption);
  while (s.endsWith('.')) s.chop(1);
  return s;
}

}  // namespace

void installPageHelp(QWidget* page, AppContext& ctx, QtPresenter& presenter, const char* topic) {
  CHelpBrowser::setLanguage(&ctx.Language, &ctx.Values);
  auto* help = new ContextHelp(
      page, ctx.HelpTopics,
      // These topics live in the family's main help only.
      [&ctx] { return HelpFiles{ctx.Folders.Help, {}, ctx.Identity.MainHelp}; },
      [](const QWidget*) -> std::optional<HelpControl> { return std::nullopt; },
      [&ctx, &presenter](const std::string& key) {
        presenter.messageBox(ctx.text(key.c_str()), kStyleError);
      });
  help->setPageTopic(topic);
}

bool writePicture(const QString& path, const QImage& image) {
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return false;
  return writeFileAtomically(path.toStdString(),
                             std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
}

bool writeSamples(const QString& path, const std::string& csv) {
  return writeFileAtomically(path.toStdString(), csv);
}

QString savePicture(QWidget* parent, AppContext& ctx, QtPresenter& presenter, const QImage& image,
                    const QString& suggestedName) {
  const QString path = askPath(parent, withoutDots(ctx.text("IDC_SAVEPICTURE", "Save Picture...")),
                               suggestedName, "PNG (*.png)");
  if (path.isEmpty()) return {};
  if (!writePicture(path, image)) {
    reportFailure(ctx, presenter, path);
    return {};
  }
  return path;
}

QString saveSamples(QWidget* parent, AppContext& ctx, QtPresenter& presenter,
                    const std::string& csv, const QString& suggestedName) {
  const QString path = askPath(parent, withoutDots(ctx.text("IDC_SAVESAMPLES", "Save Samples...")),
                               suggestedName, "CSV (*.csv)");
  if (path.isEmpty()) return {};
  if (!writeSamples(path, csv)) {
    reportFailure(ctx, presenter, path);
    return {};
  }
  return path;
}

}  // namespace ostrel
