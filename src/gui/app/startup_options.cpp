#include "gui/app/startup_options.h"

#include <QCommandLineParser>

#include "core/link/serial_cable_driver.h"
#include "ostrel_usage.h"
#include "sim/simulated_cable_driver.h"
#include "sim/unit_factory.h"

namespace ostrel {

std::optional<StartupOptions> StartupOptions::parse(const QStringList& arguments, QString& error,
                                                    bool& informational) {
  informational = false;
  // The options' texts live in the usage source with the manual page; the
  // parser only tells them apart.
  QCommandLineParser parser;
  const QCommandLineOption help(QStringList{"h", "help"});
  const QCommandLineOption version("version");
  parser.addOption(help);
  parser.addOption(version);
  const QCommandLineOption dataDir("data-dir", QString(), "folder");
  const QCommandLineOption screenshots("screenshots", QString(), "folder");
  const QCommandLineOption unattended("unattended");
  const QCommandLineOption simulate("simulate", QString(), "kind");
  const QCommandLineOption port("port", QString(), "path");
  const QCommandLineOption sample("sample");
  parser.addOption(simulate);
  parser.addOption(port);
  parser.addOption(sample);
  parser.addOption(dataDir);
  parser.addOption(screenshots);
  parser.addOption(unattended);
  const QString usage = QString::fromUtf8(kOstrelUsage);
  if (!parser.parse(arguments)) {
    error = "ostrel: " + parser.errorText() + "\n\n" + usage;
    return std::nullopt;
  }
  if (parser.isSet(help)) {
    informational = true;
    error = usage;
    return std::nullopt;
  }
  if (parser.isSet(version)) {
    informational = true;
    error = QStringLiteral("ostrel ") + kOstrelUsageVersion + "\n";
    return std::nullopt;
  }
  if (!parser.positionalArguments().isEmpty()) {
    error = "ostrel: unexpected argument: " + parser.positionalArguments().first() + "\n\n" +
            usage;
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
