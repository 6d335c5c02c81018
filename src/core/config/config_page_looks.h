#pragma once
// What the configuration page shows that follows from the record and the
// model alone: the identity lines, the units boxes' texts, the coloured
// frames, the level picture and the fill caption, which boxes take typing,
// and which of the main form's pages the model's kind wants. A view over
// the page's record, made when asked.

#include <string>
#include <vector>

#include "core/config/main_form_pages.h"

namespace ostrel {

class PulseProtocol;
struct ModelDatabase;
struct StrappingRows;
class VolumeTable;
struct ModelRecords;
struct OverlayPoint;
struct UnitConfiguration;

class ConfigPageLooks {
 public:
  ConfigPageLooks(const ModelRecords& records, const UnitConfiguration& config,
                  const PulseProtocol* pulse, bool sample)
      : records_(records), config_(config), pulse_(pulse), sample_(sample) {}

  std::string unitLine() const;
  // The radar's own firmware version on a connected pulse radar.
  std::string softwareLine() const;
  std::string hardwareLine() const;
  // The units list's entries (the model's UNITS names).
  std::vector<std::string> unitNames() const;
  // Whether the relay units are a length (the units list shows), and the
  // two units boxes' texts.
  bool relayUnitsAreLength() const;
  std::string heightUnitsText() const;
  std::string relayUnitsText() const;
  // The coloured frames: Advanced while an advanced entry is set (never on
  // pulse radar), Tanks while the relay units are a volume.
  bool advancedFramed() const;
  bool tanksFramed() const;
  // The picture beside the levels and its caption: the model's, or the
  // structure's for a shape with a curve. `keep`: the shape is not in the
  // loaded structure list, so the picture and caption stay as they are.
  struct LevelPicture {
    std::string file;  // in the Bitmaps folder; empty for none
    std::string caption;
    bool keep = false;
  };
  LevelPicture levelPicture() const;
  // The height boxes take typing only while the relay units are the height
  // units (a volume or flow output takes its heights from the Tanks forms).
  bool heightsEditable() const;
  // The fill height's caption: the model's MAXHEAD on weirs and flumes, the
  // highest fill level on guided-wave radar, else "Fill Height".
  std::string fillCaption() const;
  // The capacity line: the strapping table's last volume, a tank's
  // capacity or a weir's or flume's flow at the fill height; empty for a
  // length output.
  std::string capacityLine(const VolumeTable& volume, const StrappingRows& rows) const;
  // "View Tanks": the overlay drawings the bits name (bit k: overlay k),
  // each with the point the model file gives it; an overlay without a
  // drawing is left out.
  std::vector<OverlayPoint> overlays(int bits) const;
  // Which of the main form's pages the model's kind wants, given those
  // there now (a page the rule does not mention stays as it is).
  MainFormPages pagesByKind(MainFormPages present) const;

 private:
  const ModelDatabase& model() const;
  bool guidedWave() const;
  bool pulseRadar() const;
  bool ugus() const;
  bool nonLinearCapable() const;
  std::string text(const char* key) const;

  const ModelRecords& records_;
  const UnitConfiguration& config_;
  const PulseProtocol* pulse_;
  bool sample_;
};

}  // namespace ostrel
