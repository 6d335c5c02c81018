#include "gui/app/startup_options.h"

#include <QCommandLineParser>

namespace ostrel {

std::optional<StartupOptions> StartupOptions::parse(const QStringList& arguments, QString& error,
                                                    bool& informational) {
  informational = false;
  QCommandLineParser parser;
  parser.setApplicationDescription("Configuration tool for liquid-level transmitters.");
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption dataDir(
      "data-dir", "Data root holding Models, Configs, Programs and Logs.", "folder");
  const QCommandLineOption screenshots(
      "screenshots", "Run unattended and save pictures of the windows into the folder.", "folder");
  const QCommandLineOption unattended(
      "unattended", "Answer every question with its default and show no message boxes.");
  parser.addOption(dataDir);
  parser.addOption(screenshots);
  parser.addOption(unattended);
  if (!parser.parse(arguments)) {
    error = parser.errorText();
    return std::nullopt;
  }
  if (parser.isSet("help")) {
    informational = true;
    error = parser.helpText();
    return std::nullopt;
  }
  if (parser.isSet("version")) {
    informational = true;
    error = QStringLiteral("ostrel " OSTREL_VERSION "\n");
    return std::nullopt;
  }
  if (!parser.positionalArguments().isEmpty()) {
    error =
        "unexpected argument: " + parser.positionalArguments().first() + "\n" + parser.helpText();
    return std::nullopt;
  }
  StartupOptions o;
  if (parser.isSet(dataDir)) o.dataDir = parser.value(dataDir).toStdString();
  if (parser.isSet(screenshots)) {
    o.screenshots = parser.value(screenshots).toStdString();
    o.unattended = true;
  }
  o.unattended = o.unattended || parser.isSet(unattended);
  return o;
}

}  // namespace ostrel
