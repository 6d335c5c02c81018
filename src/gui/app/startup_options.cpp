#include "gui/app/startup_options.h"

#include <QCommandLineParser>

#include "core/link/serial_cable_driver.h"
#include "sim/simulated_cable_driver.h"
#include "sim/unit_factory.h"

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
  const QCommandLineOption simulate(
      "simulate",
      "Work with a built-in simulated unit: ultrasonic, guided-wave, u-type or pulse-radar.",
      "kind");
  const QCommandLineOption port("port", "Also look for a unit on this serial device.", "path");
  const QCommandLineOption sample(
      "sample", "Start the sample program: the pages of a model without a unit behind them.");
  parser.addOption(simulate);
  parser.addOption(port);
  parser.addOption(sample);
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
  if (parser.isSet(simulate)) {
    o.simulate = parser.value(simulate).toStdString();
    if (!sim::unitKindFromName(o.simulate)) {
      error = "unknown unit kind '" + parser.value(simulate) +
              "' (ultrasonic, guided-wave, u-type, pulse-radar)\n";
      return std::nullopt;
    }
  }
  if (parser.isSet(port)) o.port = parser.value(port).toStdString();
  o.sample = parser.isSet(sample);
  if (parser.isSet(dataDir)) o.dataDir = parser.value(dataDir).toStdString();
  if (parser.isSet(screenshots)) {
    o.screenshots = parser.value(screenshots).toStdString();
    o.unattended = true;
  }
  o.unattended = o.unattended || parser.isSet(unattended);
  return o;
}

std::unique_ptr<CableDriver> StartupOptions::createDriver(std::string& error) const {
  if (makeDriver) return makeDriver();
  if (!simulate.empty()) {
    std::shared_ptr<sim::SimUnit> unit = sim::makeUnit(simulate);
    if (!unit) {
      error = "unknown unit kind '" + simulate + "'";
      return nullptr;
    }
    return std::make_unique<sim::SimulatedCableDriver>(std::move(unit));
  }
  return std::make_unique<SerialCableDriver>(port);
}

}  // namespace ostrel
