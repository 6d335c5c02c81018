#pragma once
// The unit's level-to-value table: 248 points of 16 bits, one every Step
// level counts, each a count of Scale in the output unit (a volume, a flow
// or a length). The generators build it for tank shapes, weirs and flumes,
// strapping lists and length outputs; the lookups read it back.

#include <array>
#include <cstdint>
#include <string>

#include "core/volume/model_link.h"

namespace ostrel {

struct StrappingRows;

class VolumeTable {
 public:
  static constexpr int kDimensions = 19;
  static constexpr int kPoints = 248;
  static constexpr std::uint16_t kBeyond = 0xFFFF;  // beyond the range or above full scale
  static constexpr double kPi = 3.141592653589793;

  // Results of the generators.
  static constexpr int kBuilt = 0;
  static constexpr int kHeightNotUsable = -1;  // not positive (or beyond 16-bit counts)
  static constexpr int kNoUnitFactor = -2;     // the output unit has no factor in the structure
  static constexpr int kNoRows = -3;           // a strapping list without pairs

  std::array<float, kDimensions> Dimensions{};  // D0..D18 in the dimension unit
  double LevelScale = ModelLink::kDefaultFactor;       // level counts per dimension unit
  double VolumeUnitScale = ModelLink::kDefaultFactor;  // level counts per third length unit
  std::uint16_t MaxLevel = 0;
  std::uint8_t PointCount = 0;
  std::uint16_t Step = 0;
  std::array<std::uint16_t, kPoints> Points{};
  float Offset = 0.0f;
  float Scale = 0.0f;
  std::string StructureName;
  ModelLink Link;

  // Dimensions, points, span and scale to 0; LevelScale = UNITCONV[0],
  // VolumeUnitScale = TPF. The link and the name stay.
  void Reset();
  void SelectDimensionUnit(int unit);
  void ComputeStep();

  // hIdx: the tank height's dimension (4 for radar models, 3 otherwise).
  int heightIndex() const { return Link.radar() ? 4 : 3; }
  // The adjust-capacity flag D9 as the unit reads it (trunc(D9) != 0).
  bool adjusting() const;

  // Volume of the shape at level h (level counts, or dimension units with
  // k = 1) in cubic units of k; -1 when the level lies outside the shape.
  double TankVolume(std::uint16_t shape, double level, double k, bool radarSet) const;
  // 0; kHeightNotUsable or kNoUnitFactor leave the table unchanged.
  int BuildTankTable(std::uint16_t shape, int dimensionUnit, int outputUnit);
  // The three-point table of a length output, lowerOffset in dimension units.
  void BuildLinearTable(double lowerOffset);
  // Full volume in the output unit; 0 when the structure lacks a factor for it.
  double Capacity(std::uint16_t shape, int dimensionUnit, int outputUnit) const;
  double CapacityOrUserValue(std::uint16_t shape, int dimensionUnit, int outputUnit) const;
  double AdjustFactor(std::uint16_t shape, int dimensionUnit, int outputUnit) const;
  // Volume at a level in dimension units, in the output unit (radar set).
  double VolumeAtLevel(std::uint16_t shape, int dimensionUnit, int outputUnit, double level) const;
  void RescaleToOutputUnit(double factor);

  // Weirs and flumes.
  float FlowAt(std::uint16_t shape, float head) const;
  // 0, or kHeightNotUsable (table unchanged).
  int BuildFlowTable(std::uint16_t shape);

  // Strapping list; LevelScale must be set. 0, kHeightNotUsable or kNoRows
  // (table unchanged).
  int BuildStrappingTable(const StrappingRows& rows);

  // Lookups.
  std::uint16_t PointAt(std::uint32_t levelCounts) const;
  float ValueOfPoint(std::uint16_t point) const;
  float ValueAtCounts(std::uint32_t levelCounts) const;
  float ValueAtDimensionLevel(double level) const;
  float FullValue() const;
  std::uint16_t PointForValue(double value) const;
  std::uint16_t LevelForPoint(std::uint16_t point) const;
  double ClampedLevel(std::uint32_t levelCounts, double divisor, double factor) const;
  void EmptyAndFullValues(double level, float& empty, float& full) const;

 private:
  // MaxLevel from a span in counts, or false when it does not fit 16 bits.
  bool setSpan(double counts);
  // Points from values already divided by the scale, rounded to nearest;
  // an infinite 1/Scale (a table of zeros) gives points of 0.
  static std::uint16_t roundedPoint(double scaled);
};

}  // namespace ostrel
