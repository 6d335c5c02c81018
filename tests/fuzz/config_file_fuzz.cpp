// Reads any bytes as a configuration file into a small model's records, then
// writes what was read: neither may read or write outside a record, whatever
// indexes, numbers and texts the file holds.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/config/config_file_reader.h"
#include "core/config/config_file_writer.h"
#include "core/model/model_database.h"
#include "core/support/cstdio_file_ex.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"

namespace {

std::unique_ptr<ostrel::ModelDatabase> makeModel(bool pulseRadar) {
  auto db = std::make_unique<ostrel::ModelDatabase>();
  db->UnitTypes[0] = "KM30";
  db->UnitTypes[1] = "KM30-U";
  db->UnitTypeCount = 2;
  const char* names[] = {"Inches", "Centimeters", "Feet", "Meters"};
  const double factors[] = {59, 23.22835, 708, 2322.835};
  for (std::size_t i = 0; i < 4; ++i) {
    db->UnitNames[i] = names[i];
    db->UnitFactors[i] = factors[i];
  }
  db->UnitNames.Count = db->UnitFactors.Count = 4;
  db->UnitNames.Last = db->UnitFactors.Last = 3;
  ostrel::ConfigItem& item = db->ConfigItems[0];
  item.Present = true;
  item.Label = "Relay Function";
  item.Texts[1] = "Pump Down";
  item.Texts[2] = "Independent Relays";
  item.ChoiceCount = 3;
  item.ChoiceLast = 2;
  ostrel::ModelConfiguration& config = db->Configurations[0];
  config.Present = true;
  config.Number = 1;
  config.LevelWords = {0, 0, 10, 9, 26, 27};
  config.LevelCaptions = {"", "", "Relay 1 Off", "Relay 2 Off", "Relay 1 On", "Relay 2 On"};
  db->NonLinearButtonCaption = pulseRadar ? "" : "Tanks";
  db->PulseRadar = pulseRadar ? 1 : 0;
  db->Media[0] = "Liquid";
  db->FirstEchoes[0] = "Largest Echo";
  return db;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const bool pulseRadar = size > 0 && (data[0] & 1) != 0;
  const auto model = makeModel(pulseRadar);
  auto config = std::make_unique<ostrel::UnitConfiguration>();
  auto volume = std::make_unique<ostrel::VolumeTable>();
  auto rows = std::make_unique<ostrel::StrappingRows>();
  ostrel::RadarAdvanced radar;
  config->model = "KM30";

  ostrel::CStdioFileEx file;
  if (!file.OpenBytes(std::string(reinterpret_cast<const char*>(data), size))) return 0;
  ostrel::ConfigReadContext context;
  context.records = {config.get(), volume.get(), rows.get(), &radar};
  context.model = model.get();
  context.sampleMode = size > 1 && (data[1] & 1) != 0;
  context.loadModel = [](const std::string& number) { return number.size() == 3; };
  ostrel::ConfigFileReader::read(file, context);

  // Whatever was read is written back, with the matched configuration.
  config->configurationIndex = 0;
  ostrel::ConfigFileContent content;
  content.config = config.get();
  content.model = model.get();
  content.volume = volume.get();
  content.rows = rows.get();
  content.radar = &radar;
  content.boxes.sensorHeight = config->sensorHeight;
  content.boxes.levels = config->levels;
  content.independentRelays = ostrel::ConfigFileReader::independentMode(*model, *config);
  content.structure.dimensionCaptions = "Sensor Height,Fill - Height,,Tank";
  content.structure.outputName = "Cubic Feet";
  (void)ostrel::ConfigFileWriter::text(content);
  return 0;
}
