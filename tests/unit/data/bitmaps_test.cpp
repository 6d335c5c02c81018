// The pictures the shipped model and structure files name, as the
// configuration page, the structure forms and the relay dialog load them
// from the Bitmaps folder. Each must be there as an uncompressed 24-bit
// bitmap of a size its place can show; each overlay must carry its row's
// marks in pure blue from its corner, which goes on the row's point, since
// only those pixels are copied; and the level pictures must be closed drawings, since the
// page floods the white connected to the top-left corner with the window
// colour and would flood the inside of an open tank too.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/model/model_file_parser.h"
#include "core/model/model_records.h"
#include "core/model/structure_data.h"
#include "test_support.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

fs::path modelsDir() { return test::sourceDataDir() / "Models"; }
fs::path bitmapsDir() { return test::sourceDataDir() / "Bitmaps"; }

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kPureBlue = 0x0000FF;

struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> rgb;  // 0xRRGGBB, top row first
  std::uint32_t at(int x, int y) const {
    return rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(x)];
  }
};

std::uint32_t le(const std::string& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) {
    v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
  }
  return v;
}

// Reads an uncompressed 24-bit Windows bitmap; returns what is wrong with
// the file, empty when it is one.
std::string readBmp(const fs::path& path, Bitmap& out) {
  if (!fs::is_regular_file(path)) return "missing";
  const std::string b = test::readBytes(path);
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return "not a bitmap";
  if (le(b, 2, 4) != b.size()) return "header size differs from the file's";
  const std::uint32_t offset = le(b, 10, 4);
  if (le(b, 14, 4) < 40) return "old-style header";
  const auto width = static_cast<std::int32_t>(le(b, 18, 4));
  const auto height = static_cast<std::int32_t>(le(b, 22, 4));
  if (le(b, 26, 2) != 1) return "planes not 1";
  if (le(b, 28, 2) != 24) return "not 24 bits per pixel";
  if (le(b, 30, 4) != 0) return "compressed";
  if (width <= 0 || height == 0) return "no pixels";
  const int rows = std::abs(height);
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  if (offset < 54 || offset + stride * static_cast<std::size_t>(rows) > b.size()) {
    return "pixel rows run past the end";
  }
  out.width = width;
  out.height = rows;
  out.rgb.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(rows), 0);
  for (int y = 0; y < rows; ++y) {
    const int stored = height > 0 ? rows - 1 - y : y;  // positive height: bottom-up
    const std::size_t row = offset + static_cast<std::size_t>(stored) * stride;
    for (int x = 0; x < width; ++x) {
      const std::size_t p = row + static_cast<std::size_t>(x) * 3;
      out.rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
              static_cast<std::size_t>(x)] = le(b, p, 3);  // stored B, G, R
    }
  }
  return {};
}

enum class Role { Logo, Icon, Picture, Overlay };

struct Named {
  std::map<std::string, std::set<Role>> pictures;
  std::vector<std::unique_ptr<ModelRecords>> models;  // family model files
  std::vector<std::unique_ptr<ModelRecords>> structures;
  std::set<std::string> tankFronts;  // level pictures with a tank to close
};

void name(Named& n, const std::string& file, Role role) {
  if (!file.empty()) n.pictures[file].insert(role);
}

// Every picture the corporate file, the family model files and the
// structure files they list name, by where it is shown.
Named namedPictures() {
  Named n;
  std::set<std::string> structureFiles;
  for (const auto& e : fs::directory_iterator(modelsDir())) {
    const std::string file = e.path().filename().string();
    if (e.path().extension() != ".txt") continue;
    if (file.rfind("KM", 0) != 0 && file.rfind("Corporate", 0) != 0) continue;
    auto r = std::make_unique<ModelRecords>();
    ModelFileParser parser(r->targets());
    EXPECT_EQ(parser.Parse(e.path()), 0) << file;
    name(n, r->Identity.LogoImage, Role::Logo);
    const ModelImages& images = r->Images;
    name(n, images.LogoImage, Role::Logo);
    name(n, images.Image, Role::Picture);
    for (int i = 0; i < images.TankImages.Count; ++i) {
      name(n, images.TankImages[static_cast<std::size_t>(i)], Role::Picture);
    }
    for (int i = 0; i < images.Overlays.Count; ++i) {
      name(n, images.Overlays[static_cast<std::size_t>(i)].Caption, Role::Overlay);
    }
    for (int i = 0; i < images.AlternatePartCount; ++i) {
      for (const OverlayPoint& p : images.AlternateOverlays[static_cast<std::size_t>(i)]) {
        name(n, p.Caption, Role::Overlay);
      }
    }
    const ModelDatabase& db = r->Database;
    for (int i = 0; i < db.NonLinearFiles.Count; ++i) {
      structureFiles.insert(db.NonLinearFiles[static_cast<std::size_t>(i)]);
    }
    if (db.UnitTypeCount > 0) n.models.push_back(std::move(r));
  }
  for (const std::string& file : structureFiles) {
    auto r = std::make_unique<ModelRecords>();
    ResetStructureData(r->Structures);
    ModelFileParser parser(r->targets());
    EXPECT_TRUE(parser.LoadModelFile(modelsDir() / file, 0)) << file;
    const StructureData& s = r->Structures;
    const bool tanks = file.find("Tank") != std::string::npos;
    for (std::size_t i = 0; i < StructureData::kStructures; ++i) {
      name(n, s.TabImages[i], Role::Icon);
      for (const auto* list : {&s.FrontImages, &s.RadarFrontImagesDistance,
                               &s.RadarFrontImagesVolume}) {
        name(n, (*list)[i], Role::Picture);
        if (tanks && !(*list)[i].empty()) n.tankFronts.insert((*list)[i]);
      }
      for (const auto* list : {&s.NonLinearImages, &s.RadarNonLinearImages, &s.DistanceImages,
                               &s.RadarDistanceImages}) {
        name(n, (*list)[i], Role::Picture);
      }
    }
    n.structures.push_back(std::move(r));
  }
  // The independent relays dialog names its picture itself.
  name(n, "Independent Relays.bmp", Role::Picture);
  return n;
}

// The white pixels a 4-connected flood from the top-left corner reaches.
std::vector<bool> floodFromCorner(const Bitmap& b) {
  std::vector<bool> reached(b.rgb.size(), false);
  std::vector<std::pair<int, int>> todo{{1, 1}};
  while (!todo.empty()) {
    const auto [x, y] = todo.back();
    todo.pop_back();
    if (x < 0 || y < 0 || x >= b.width || y >= b.height) continue;
    const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(b.width) +
                          static_cast<std::size_t>(x);
    if (reached[i] || b.rgb[i] != kWhite) continue;
    reached[i] = true;
    todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
  }
  return reached;
}

TEST(ShippedBitmaps, EveryNamedPictureIsA24BitBitmapSizedForItsPlace) {
  const Named n = namedPictures();
  ASSERT_EQ(n.models.size(), 5u);
  ASSERT_EQ(n.structures.size(), 4u);
  // Logos, five model pictures with their tank pictures and overlays, and
  // the structures' icons and pictures: well over a hundred files.
  EXPECT_GT(n.pictures.size(), 120u);
  for (const auto& [file, roles] : n.pictures) {
    SCOPED_TRACE(file);
    Bitmap b;
    const std::string fault = readBmp(bitmapsDir() / file, b);
    ASSERT_EQ(fault, "");
    if (roles.count(Role::Icon)) {
      EXPECT_TRUE(b.width >= 24 && b.width <= 96 && b.height >= 24 && b.height <= 96)
          << b.width << "x" << b.height << ": a list icon";
    }
    if (roles.count(Role::Logo)) {
      EXPECT_TRUE(b.width >= 2 * b.height && b.height >= 24 && b.width <= 400)
          << b.width << "x" << b.height << ": a word-mark along the top of the page";
    }
    if (roles.count(Role::Picture)) {
      EXPECT_TRUE(b.width >= 120 && b.width <= 480 && b.height >= 120 && b.height <= 480)
          << b.width << "x" << b.height << ": a picture in the page or a form";
    }
    if (roles.count(Role::Overlay)) {
      EXPECT_TRUE(b.width >= 16 && b.width <= 160 && b.height >= 8 && b.height <= 60)
          << b.width << "x" << b.height << ": a row's marks, laid on the picture";
    }
  }
}

TEST(ShippedBitmaps, OverlayMarksArePureBlueAtTheirRowInsideTheModelPicture) {
  const Named n = namedPictures();
  int checked = 0;
  for (const auto& r : n.models) {
    const ModelImages& images = r->Images;
    SCOPED_TRACE(images.Image);
    Bitmap picture;
    ASSERT_EQ(readBmp(bitmapsDir() / images.Image, picture), "");
    for (int i = 0; i < images.Overlays.Count; ++i) {
      const OverlayPoint& o = images.Overlays[static_cast<std::size_t>(i)];
      SCOPED_TRACE(o.Caption);
      ASSERT_TRUE(o.X > 0 && o.X < picture.width && o.Y > 0 && o.Y < picture.height)
          << "the row's end lies outside the picture";
      Bitmap overlay;
      ASSERT_EQ(readBmp(bitmapsDir() / o.Caption, overlay), "");
      // Its corner goes on the row's point: placed there, it stays inside.
      EXPECT_LE(o.X + overlay.width, picture.width);
      EXPECT_LE(o.Y + overlay.height, picture.height);
      int blue = 0;
      int other = 0;
      bool atPoint = false;
      for (int y = 0; y < overlay.height; ++y) {
        for (int x = 0; x < overlay.width; ++x) {
          const std::uint32_t c = overlay.at(x, y);
          if (c == kWhite) continue;
          if (c != kPureBlue) {
            ++other;  // a smoothed edge: copied by nobody, the mark frays
            continue;
          }
          ++blue;
          if (x <= 1 && y <= 1) atPoint = true;
        }
      }
      EXPECT_GT(blue, 20);
      EXPECT_EQ(other, 0) << "colours other than pure blue and white";
      EXPECT_TRUE(atPoint) << "the mark does not start at its corner";
      ++checked;
    }
  }
  EXPECT_EQ(checked, 24);  // six rows on each page-based model
}

TEST(ShippedBitmaps, LevelPicturesKeepTheirInsideFromTheCornerFlood) {
  const Named n = namedPictures();
  // The model pictures: the flood stops at the tank wall, so no white on a
  // level row near where its line ends is reached.
  for (const auto& r : n.models) {
    const ModelImages& images = r->Images;
    SCOPED_TRACE(images.Image);
    Bitmap b;
    ASSERT_EQ(readBmp(bitmapsDir() / images.Image, b), "");
    ASSERT_EQ(b.at(1, 1), kWhite) << "the corner the flood starts from";
    const std::vector<bool> reached = floodFromCorner(b);
    for (int i = 0; i < images.Overlays.Count; ++i) {
      const OverlayPoint& o = images.Overlays[static_cast<std::size_t>(i)];
      for (int x = std::max(0, o.X - 40); x < std::min(b.width, o.X + 40); ++x) {
        const std::size_t p = static_cast<std::size_t>(o.Y) * static_cast<std::size_t>(b.width) +
                              static_cast<std::size_t>(x);
        EXPECT_FALSE(reached[p]) << "flood reaches " << x << "," << o.Y;
      }
    }
  }
  // The tank structures' page pictures: the white above the liquid stays
  // white (a sizeable area the flood does not reach).
  ASSERT_GE(n.tankFronts.size(), 21u);
  for (const std::string& file : n.tankFronts) {
    SCOPED_TRACE(file);
    Bitmap b;
    ASSERT_EQ(readBmp(bitmapsDir() / file, b), "");
    ASSERT_EQ(b.at(1, 1), kWhite);
    const std::vector<bool> reached = floodFromCorner(b);
    int enclosed = 0;
    for (std::size_t i = 0; i < b.rgb.size(); ++i) {
      if (b.rgb[i] == kWhite && !reached[i]) ++enclosed;
    }
    EXPECT_GT(enclosed, 2000);
  }
}

}  // namespace
}  // namespace ostrel
