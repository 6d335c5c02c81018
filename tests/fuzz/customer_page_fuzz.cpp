// Decodes any bytes as a unit's customer page under a model whose words,
// bits and choice codes also come from the input (words off the page,
// flag bits beyond a word, overlapping words), then writes the decoded
// configuration back over the page and decodes it again: what the page
// owns must come back the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "core/config/customer_page.h"
#include "core/model/model_database.h"
#include "core/volume/volume_table.h"

namespace {

// Model fields beyond the page: one byte each, signed so that negative
// words and bit numbers occur.
class ModelBytes {
 public:
  ModelBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  int next() { return pos_ < size_ ? static_cast<std::int8_t>(data_[pos_++]) : 0; }
  // Page words around the ends of the page: -2..257.
  int word() { return next() * 2 + (next() & 1) + 1; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

std::unique_ptr<ostrel::ModelDatabase> modelFrom(ModelBytes in) {
  auto db = std::make_unique<ostrel::ModelDatabase>();
  const char* units[] = {"Inches", "Centimeters", "Feet", "Meters"};
  const double factors[] = {59, 23.22835, 708, 2322.835};
  for (std::size_t u = 0; u < 4; ++u) {
    db->UnitNames[u] = units[u];
    db->UnitFactors[u] = factors[u];
  }
  db->UnitNames.Count = db->UnitFactors.Count = 4;
  db->UnitNames.Last = db->UnitFactors.Last = 3;
  db->GuidedWaveRadar = in.next() & 1;
  db->Ugus = in.next() & 1;
  if (in.next() & 1) db->NonLinearButtonCaption = "Tanks";
  for (std::size_t i = 0; i < 3; ++i) {
    ostrel::ConfigItem& item = db->ConfigItems[i];
    item.Present = true;
    item.LabelCode = in.word();
    item.ChoiceCount = 3;
    item.ChoiceLast = 2;
    item.Codes = {-1, in.next(), in.next()};
    item.Texts[0] = "Select";
    item.Texts[1] = i == 0 ? "Independent Relays" : "One";
    item.Texts[2] = "Two";
  }
  db->ConfigItems.Count = 3;
  db->ConfigItems.Last = 2;
  for (std::size_t c = 0; c < 3; ++c) {
    ostrel::ModelConfiguration& config = db->Configurations[c];
    config.Present = true;
    config.Number = static_cast<int>(c) + 1;
    config.ChoiceCodes = {static_cast<int>(c) % 2 + 1, -1, static_cast<int>(c) / 2 + 1,
                          -1, -1, -1, -1, -1, -1, -1};
    for (std::size_t l = 0; l < 6; ++l) {
      // A level on NLTYPE, UNITS or OUTPUT would overwrite them by design
      // (levels are written after the fields); the model tests keep the
      // shipped models off those words.
      const int w = in.word();
      config.LevelWords[l] = w == 51 || w == 52 || w == 75 ? 0 : w;
      config.LevelCaptions[l] = (in.next() & 1) ? "Relay On" : "";
    }
  }
  db->Configurations.Count = 3;
  db->Configurations.Last = 2;
  for (std::size_t a = 0; a < 4; ++a) {
    ostrel::AdvancedInput& input = db->AdvancedInputs[a];
    input.FlagWord = in.word();
    input.FlagBit = in.next();
    input.ValueWord = in.word();
  }
  db->AdvancedInputs.Count = 4;
  db->AdvancedInputs.Last = 3;
  db->FixedWords[0] = {in.word(), in.next() * 1000};
  db->FixedWordCount = 1;
  return db;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ostrel::CustomerPage::Bytes page{};
  std::memcpy(page.data(), data, std::min(size, page.size()));
  const std::size_t rest = size > page.size() ? size - page.size() : 0;
  const auto db = modelFrom(ModelBytes(rest ? data + page.size() : data, rest));

  const ostrel::CustomerPageDecoding first =
      ostrel::CustomerPage::decode(page, *db, ostrel::UnitConfiguration{});
  ostrel::UnitConfiguration config = first.configuration;
  for (std::int32_t choice : config.itemChoices) {
    if (choice < -1 || choice > 2) __builtin_trap();
  }
  config.configurationValid = true;  // write whatever came, matched or not

  ostrel::VolumeTable table;
  table.Link = ostrel::ModelLink(db.get(), nullptr);
  table.Reset();
  std::copy(first.dimensions.begin(), first.dimensions.end(), table.Dimensions.begin());
  ostrel::StrappingRows rows = first.rows.value_or(ostrel::StrappingRows{});
  (void)ostrel::CustomerPage::prepareVolumeTable(config, *db, table, rows);
  std::copy(first.dimensions.begin(), first.dimensions.end(), table.Dimensions.begin());

  ostrel::CustomerPage::Bytes again{};
  if (ostrel::CustomerPage::encode(config, *db, table, rows, page, again) != 0) __builtin_trap();
  const ostrel::CustomerPageDecoding second =
      ostrel::CustomerPage::decode(again, *db, ostrel::UnitConfiguration{});
  const ostrel::UnitConfiguration& c = second.configuration;
  if (c.shapeCode != config.shapeCode || c.heightUnits != config.heightUnits ||
      c.outputUnits != config.outputUnits || c.tankDescription != config.tankDescription) {
    __builtin_trap();
  }
  if (first.rows.has_value() != second.rows.has_value()) __builtin_trap();
  return 0;
}
