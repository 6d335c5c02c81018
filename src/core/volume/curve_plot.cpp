#include "core/volume/curve_plot.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/volume/number_rules.h"

namespace ostrel {
namespace {

constexpr double kFullCount = 65535.0;

// printf's %.Nf and %.Ng, whatever the process locale says about the point.
std::string fixed(double x, int decimals) {
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
  return std::string(buf, r.ec == std::errc() ? r.ptr : buf);
}

std::string general(double x, int precision) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, precision);
  return std::string(buf, r.ec == std::errc() ? r.ptr : buf);
}

std::string shortest(float x) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, r.ec == std::errc() ? r.ptr : buf);
}

std::string csvField(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string quoted = "\"";
  for (char c : s) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

bool positive(double v) { return std::isfinite(v) && v > 0.0; }

}  // namespace

bool CurveMapping::set(double xmin, double ymin, double xmax, double ymax, int width, int height) {
  const double w = static_cast<double>(width);
  const double h = static_cast<double>(height);
  valid_ = width > 0 && height > 0 && std::isfinite(xmax - xmin) && std::isfinite(ymax - ymin) &&
           xmax != xmin && ymax != ymin;
  if (!valid_) return false;
  ax_ = 0.8 * w / (xmax - xmin);
  bx_ = 0.1 * w - ax_ * xmin;
  ay_ = -0.8 * h / (ymax - ymin);
  by_ = 0.9 * h - ay_ * ymin;
  return true;
}

PlotPoint CurveMapping::toPixel(double x, double y) const {
  const double px = bx_ + ax_ * x;
  const double py = by_ + ay_ * y;
  // Far outside any window a pixel stops meaning anything; keep it an int.
  const auto clampInt = [](double v) { return static_cast<int>(std::clamp(v, -1.0e6, 1.0e6)); };
  return PlotPoint{clampInt(px), clampInt(py)};
}

CurvePlot::CurvePlot(const VolumeTable& table, double topLevel) : table_(table) {
  title_ = table.StructureName;
  drawable_ = table.Step >= 1 && table.PointCount >= 1 && positive(static_cast<double>(table.Scale)) &&
              positive(topLevel) && positive(table.LevelScale);
  yMin_ = static_cast<double>(table.Offset);
  if (drawable_) {
    dx_ = topLevel / table.PointCount;
    xMax_ = table.PointCount * dx_;
    yMax_ = kFullCount * static_cast<double>(table.Scale) + static_cast<double>(table.Offset);
  }
  levelLabel_ = fixed(0.0, 5);
  valueLabel_ = fixed(static_cast<double>(table.Offset), 5);
}

void CurvePlot::moveCursor(std::uint32_t position) {
  if (!drawable_) return;
  const std::uint16_t p = table_.PointAt(position);
  cursorLevel_ = table_.ClampedLevel(position, table_.LevelScale, 1);
  levelLabel_ = fixed(cursorLevel_, 3);
  valueLabel_ = fixed(static_cast<double>(static_cast<float>(p) * table_.Scale), 3);
  cursorShown_ = true;
}

PlotPoint CurvePlot::at(double fx, double fy, int width, int height) {
  return PlotPoint{static_cast<int>(fx * width), static_cast<int>(height * (1.0 - fy))};
}

std::vector<PlotLine> CurvePlot::axes(int width, int height) {
  const auto line = [&](double x1, double y1, double x2, double y2) {
    return PlotLine{at(x1, y1, width, height), at(x2, y2, width, height)};
  };
  return {line(0.1, 0.05, 0.1, 0.95), line(0.05, 0.1, 0.95, 0.1), line(0.05, 0.9, 0.1, 0.9),
          line(0.9, 0.05, 0.9, 0.1)};
}

std::vector<PlotPoint> CurvePlot::curve(const CurveMapping& mapping) const {
  std::vector<PlotPoint> corners;
  if (!drawable_ || !mapping.valid()) return corners;
  const int n = std::min<int>(table_.PointCount, VolumeTable::kPoints);
  for (int i = 0; i < n; ++i) {
    const float value =
        table_.Offset + table_.Scale * static_cast<float>(table_.Points[static_cast<std::size_t>(i)]);
    corners.push_back(mapping.toPixel(i * dx_, static_cast<double>(value)));
  }
  return corners;
}

std::optional<PlotLine> CurvePlot::cursor(const CurveMapping& mapping) const {
  if (!drawable_ || !cursorShown_ || !mapping.valid()) return std::nullopt;
  return PlotLine{mapping.toPixel(cursorLevel_, static_cast<double>(table_.Offset)),
                  mapping.toPixel(cursorLevel_, kFullCount * static_cast<double>(table_.Scale))};
}

std::string CurvePlot::fieldText(double value) { return general(value, 15); }

std::string CurvePlot::csv(const std::string& levelName, const std::string& valueName) const {
  std::string out = csvField(levelName) + "," + csvField(valueName) + "\r\n";
  if (!drawable_) return out;
  const int last = std::min<int>(table_.PointCount, VolumeTable::kPoints - 1);
  for (int i = 0; i <= last; ++i) {
    const double level = static_cast<double>(i * table_.Step) / table_.LevelScale;
    const float value = table_.ValueOfPoint(table_.Points[static_cast<std::size_t>(i)]);
    out += NumberRules::formatTrimmed(level, 6) + "," + shortest(value) + "\r\n";
  }
  return out;
}

}  // namespace ostrel
