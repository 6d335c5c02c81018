#pragma once
// The customer page (512 bytes) and the configuration it carries. Most
// places are fixed; the words of the items, the model's fixed words, the
// advanced inputs and the levels come from the model. Encoding starts from
// the unit's own image so that every byte the configuration does not own
// keeps the unit's value.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/config/unit_configuration.h"
#include "core/volume/strapping_rows.h"

namespace ostrel {

struct ModelDatabase;
class VolumeTable;

// What a decoded page puts into the page's boxes besides the record.
struct CustomerPageBoxes {
  std::string sensorHeight;
  std::string fillHeight;
  std::string minFillHeight;  // guided-wave radar models
  std::string probeLength;    // guided-wave radar models
  std::array<std::string, UnitConfiguration::kLevels> levels{};  // empty: row not read
  std::string notes;
};

struct CustomerPageDecoding {
  static constexpr int kStoredDimensions = 11;

  // 0; -1 when a height or a level the configuration uses is negative,
  // which the caller treats as an error.
  int result = 0;
  UnitConfiguration configuration;
  std::array<float, kStoredDimensions> dimensions{};  // D[0..10] for the volume table
  std::optional<StrappingRows> rows;  // read for strapping tables only
  bool independentMode = false;
  CustomerPageBoxes boxes;
};

class CustomerPage {
 public:
  static constexpr std::size_t kSize = 512;
  using Bytes = std::array<std::uint8_t, kSize>;

  static constexpr int kEncoded = 0;
  static constexpr int kNoValidConfiguration = 1;

  // Fixed places (bytes).
  static constexpr std::size_t kMinFillHeightAt = 0;  // guided-wave radar
  static constexpr std::size_t kSensorHeightAt = 2;
  static constexpr std::size_t kFillHeightAt = 6;  // probe length on guided-wave radar
  static constexpr std::size_t kTankMinFillAt = 32;
  static constexpr std::size_t kGuidedFillHeightAt = 44;
  static constexpr std::size_t kShapeAt = 102;
  static constexpr std::size_t kUnitsAt = 104;
  static constexpr std::size_t kDimensionsAt = 106;
  static constexpr std::size_t kOutputAt = 150;
  static constexpr std::size_t kLevelFloatsAt = 152;
  static constexpr std::size_t kRowsAt = 184;
  static constexpr std::size_t kNotesAt = 448;
  static constexpr std::size_t kNotesSize = 64;

  // The configuration from the unit's page. `current` supplies what the page
  // does not hold (identity, descriptions, absent items); the selections
  // and the advanced entries are cleared before the page fills them.
  static CustomerPageDecoding decode(const Bytes& page, const ModelDatabase& model,
                                     const UnitConfiguration& current);

  // The write buffer for `config` over the unit's image. The heights and
  // levels are taken as the boxes hold them; the table gives D[0..10] and,
  // on models with a curve, the level counts. kNoValidConfiguration leaves
  // the buffer alone; a pulse-radar model has nothing to encode.
  static int encode(const UnitConfiguration& config, const ModelDatabase& model,
                    const VolumeTable& table, const StrappingRows& rows, const Bytes& image,
                    Bytes& buffer);

  // Before the checks of a write: the dimensions from the heights and the
  // table's points for the relay units. Models without a curve keep the
  // table as it is. Returns the table builder's result (0 built).
  static int prepareVolumeTable(UnitConfiguration& config, const ModelDatabase& model,
                                VolumeTable& table, const StrappingRows& rows);

  // The configuration the selections identify: exactly one matching
  // configuration with every present item chosen, else -1.
  static int matchedConfiguration(const ModelDatabase& model,
                                  const std::array<std::int32_t, UnitConfiguration::kConfigItems>&
                                      choices);
  // Item 0's choice names the independent relay mode.
  static bool independentMode(const ModelDatabase& model, std::int32_t firstItemChoice);
  // The word pair of a level's float copy, or -1 for a level word without one.
  static int levelFloatWord(int levelWord);
};

}  // namespace ostrel
