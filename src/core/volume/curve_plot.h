#pragma once
// What the curve viewer draws, without the drawing: the mapping from level
// and value to pixels, the axes, the curve's corners, the cursor and the
// texts, and the table as comma-separated text. The viewer's widgets paint
// what this gives them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/volume/volume_table.h"

namespace ostrel {

struct PlotPoint {
  int x = 0;
  int y = 0;
  bool operator==(const PlotPoint&) const = default;
};

struct PlotLine {
  PlotPoint from;
  PlotPoint to;
};

// pixel x = bx + ax * level, pixel y = by + ay * value: the data range fills
// the middle 80 % of a width x height field, values growing upward.
class CurveMapping {
 public:
  // False (and no mapping) when the range or the field has no extent.
  bool set(double xmin, double ymin, double xmax, double ymax, int width, int height);
  bool valid() const { return valid_; }
  // Both coordinates truncated toward zero.
  PlotPoint toPixel(double x, double y) const;

 private:
  double ax_ = 0, bx_ = 0, ay_ = 0, by_ = 0;
  bool valid_ = false;
};

class CurvePlot {
 public:
  // The table is borrowed for the plot's life; topLevel is the level at the
  // right end of the level axis (dimension units).
  CurvePlot(const VolumeTable& table, double topLevel);

  // A table one can draw: a step, points, a positive scale and a positive
  // top level. Anything else shows the axes and texts alone.
  bool drawable() const { return drawable_; }

  // The data range the mapping spans (level 0..top, value Offset..full).
  double xMin() const { return 0.0; }
  double xMax() const { return xMax_; }
  double yMin() const { return yMin_; }
  double yMax() const { return yMax_; }

  const std::string& title() const { return title_; }
  const std::string& levelLabel() const { return levelLabel_; }
  const std::string& valueLabel() const { return valueLabel_; }
  // The level slider's range: 0..MaxLevel counts.
  int sliderMaximum() const { return drawable_ ? table_.MaxLevel : 0; }

  // The cursor to a slider position (level counts): the labels show its
  // level and the table's value there.
  void moveCursor(std::uint32_t position);
  bool cursorShown() const { return cursorShown_; }
  double cursorLevel() const { return cursorLevel_; }

  // The four yellow lines of a width x height field (axes and end ticks).
  static std::vector<PlotLine> axes(int width, int height);
  // A fraction of the field (fy from the bottom) in pixels.
  static PlotPoint at(double fx, double fy, int width, int height);
  // The curve's corners through the mapping: points 0..PointCount-1; empty
  // when there is nothing to draw.
  std::vector<PlotPoint> curve(const CurveMapping& mapping) const;
  // The cursor line from the bottom to the top of the value range.
  std::optional<PlotLine> cursor(const CurveMapping& mapping) const;

  // Min, Max and Capacity as the read-only fields show them: "%.15g".
  static std::string fieldText(double value);

  // One line per point from level 0 to the top of the table: level in
  // dimension units, value as the viewer reads it (a point beyond the range
  // counts as full scale). The first line names the two columns.
  std::string csv(const std::string& levelName, const std::string& valueName) const;

 private:
  const VolumeTable& table_;
  bool drawable_ = false;
  double dx_ = 0.0;
  double xMax_ = 0.0;
  double yMin_ = 0.0;
  double yMax_ = 0.0;
  std::string title_;
  std::string levelLabel_;
  std::string valueLabel_;
  bool cursorShown_ = false;
  double cursorLevel_ = 0.0;
};

}  // namespace ostrel
