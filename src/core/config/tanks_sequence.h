#pragma once
// The "Tanks" sequence of the configuration page: the structure picker
// (when it shows), then the form of the chosen shape's class, in turn; a
// form left through its own "Tanks" button brings the picker back.
//
// The forms work on the page's volume table, strapping rows and the
// structure list the picker loads. A sequence that ends without OK puts all
// three back as they were before it began, so a cancelled picker or form
// changes nothing on the page.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "core/model/structure_data.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"

namespace ostrel {

struct ModelDatabase;

class TanksSequence {
 public:
  // What a sequence works on, lent by the page.
  struct Parts {
    const ModelDatabase* model = nullptr;
    StructureData* structures = nullptr;
    VolumeTable* volume = nullptr;
    StrappingRows* strapping = nullptr;
    std::filesystem::path modelsFolder;
  };
  // The page's heights the forms start from: sensor and fill height, and the
  // kind's two more (guided-wave radar: minimum fill height and probe length;
  // pulse radar: dead band and max range), when it has them.
  struct Heights {
    double sensor = 0;
    double fill = 0;
    std::optional<double> third;
    std::optional<double> fourth;
  };
  struct Start {
    bool showPicker = false;
    int firstPage = 0;  // 2 weirs, 1 flumes, 0 otherwise
    std::uint16_t shape = 0;
  };
  enum class Form { Tank, Strapping, Flow, None };

  explicit TanksSequence(Parts parts) : parts_(std::move(parts)) {}

  // A pass begins with the page's current shape: the picker shows when the
  // shape has no curve or a form asked for it; otherwise the current class's
  // structure list is loaded. The table takes the heights its form starts
  // from.
  Start begin(std::uint16_t current, const Heights& heights);
  // The picker's choice: its class's structure list is loaded and the table
  // takes the heights that shape's form starts from.
  void pickerChose(std::uint16_t shape);
  static Form formFor(std::uint16_t shape);
  // Whether the table's dimensions 2 and 3 carry the page's heights for a
  // shape: on tanks they do, on weirs and flumes they are the formula's
  // coefficients and stay as they are.
  static bool tableCarriesHeights(std::uint16_t shape);
  // The picker or form was left without OK; `backToShapes` (a form's
  // "Tanks" button) asks for the picker again.
  void cancelled(bool backToShapes);
  // The form's OK: what it built stays.
  void applied();
  // Whether the sequence runs another pass (the picker comes back).
  bool again() const { return back_; }
  // The sequence is over: without an OK, the page's table, rows and
  // structure list are what they were before it began.
  void end();

 private:
  void heightsInto(std::uint16_t shape);
  void loadStructureList(std::uint16_t shape);

  struct Saved {
    VolumeTable volume;
    StrappingRows strapping;
    StructureData structures;
  };

  Parts parts_;
  bool back_ = false;
  std::uint16_t lastPick_ = 0;
  Heights heights_;
  std::optional<Saved> saved_;
};

}  // namespace ostrel
