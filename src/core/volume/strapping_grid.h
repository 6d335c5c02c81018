#pragma once
// The strapping form's own state: the height fields, the grid of level and
// volume pairs under its two unit headers, each cell's colour, and what a
// cell edit, a unit change and the "Rows" count do. The dialog draws this
// state and forwards the user's actions; OK and "View Curve" hand the
// texts to StrappingFormCheck.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/volume/form_failure.h"
#include "core/volume/model_link.h"
#include "core/volume/strapping_form_check.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"

namespace ostrel {

class StrappingGrid {
 public:
  static constexpr int kLevelColumn = 1;
  static constexpr int kVolumeColumn = 2;
  // Pair rows the form offers when the record holds no more.
  static constexpr int kFormPairs = StrappingRows::kFormRows;

  enum class Colour { White, Red, ButtonFace };
  enum class Field { SensorHeight, FillHeight, RiserHeight, TankHeight, MinFillHeight, ProbeLength };
  static constexpr int kFields = 6;

  struct Cell {
    std::string text;
    Colour colour = Colour::White;
    bool readOnly = false;
  };

  // The form as it opens over the page's table and rows, in the
  // configuration's UNITS (dimensionUnit) and OUTPUT (outputUnit).
  StrappingGrid(const ModelLink& link, int dimensionUnit, int outputUnit, const VolumeTable& table,
                const StrappingRows& rows);

  const ModelLink& link() const { return link_; }
  bool guidedWave() const { return link_.guidedWave(); }

  // A height field's caption (its language key and English text) and
  // whether the form shows it: guided-wave radar has a maximum fill height,
  // a minimum fill height and a probe length, and no riser height. In the
  // order the form lists them.
  struct FieldLabel {
    Field field;
    const char* key;
    const char* fallback;
    bool shown;
  };
  std::array<FieldLabel, kFields> fieldLabels() const;
  // The picture beside the grid: the structure's (the radar's set on
  // guided-wave radar); empty for a shape not in the structure list.
  std::string picture(std::uint16_t shape) const;
  // The structure's caption for the title; empty as for the picture.
  std::string caption(std::uint16_t shape) const;
  static constexpr const char* kHelpFile = "StrappingTable.chm";
  static constexpr const char* kHelpTopic = "StrappingTable.htm";

  const std::string& field(Field f) const { return fields_[index(f)]; }
  void setField(Field f, std::string text) { fields_[index(f)] = std::move(text); }

  // The header's drop-down lists and what they show.
  const std::vector<std::string>& levelUnitNames() const { return levelNames_; }
  const std::vector<std::string>& volumeUnitNames() const { return volumeNames_; }
  const std::string& levelUnitText() const { return levelText_; }
  const std::string& volumeUnitText() const { return volumeText_; }
  int dimensionUnit() const { return dimensionUnit_; }
  int outputUnit() const { return outputUnit_; }

  // Pair rows shown (grid rows below the header) and the "Rows" control:
  // its value counts the header too.
  int pairRows() const { return static_cast<int>(cells_.size()); }
  int maxPairRows() const { return maxPairs_; }
  int rowsValue() const { return rowsValue_; }
  int rowsMaximum() const { return maxPairs_ + 1; }

  // A pair cell, row 1.. and column 1 (level) or 2 (volume).
  const Cell& cell(int row, int column) const;

  void beginEdit(int row, int column);
  // The edited text: kept, checked and coloured. A failure with a key is a
  // message for the user; one without is told by the red cell alone.
  std::optional<FormFailure> endEdit(int row, int column, const std::string& text);
  // "Rows" changed to v: 2..maxPairRows() pair rows, deleted from the end
  // or appended empty; a larger value changes nothing.
  void setRows(int v);
  // A unit chosen in the header of the level or the volume column.
  void chooseLevelUnit(const std::string& name);
  void chooseVolumeUnit(const std::string& name);
  // The code of a unit name (case ignored) among the strapping units; 0
  // when none matches.
  int unitCode(const std::string& name) const;

  StrappingFormInput input() const;
  // OK: the checks and the build over the page's table.
  FormResult<StrappingFormOutcome> ok(const VolumeTable& pageTable) const;
  // "View Curve": the build alone, on a copy named "Strapping Table".
  FormResult<StrappingFormOutcome> preview(const VolumeTable& pageTable) const;

 private:
  static std::size_t index(Field f) { return static_cast<std::size_t>(f); }
  Cell& at(int row, int column);
  bool fineUnits() const { return link_.guidedWave() || link_.ugus(); }
  int strapUnitCount() const;
  std::string levelText(double x) const;
  VolumeTable linked(const VolumeTable& pageTable) const;

  ModelLink link_;
  int dimensionUnit_;
  int outputUnit_;
  std::array<std::string, kFields> fields_{};
  std::vector<std::string> levelNames_;
  std::vector<std::string> volumeNames_;
  std::string levelText_;
  std::string volumeText_;
  std::vector<std::array<Cell, 2>> cells_;  // pair rows: level, volume
  int maxPairs_ = kFormPairs;
  int rowsValue_ = kFormPairs + 1;
};

}  // namespace ostrel
