#pragma once
// The advanced settings of standard and guided-wave radar models: one check
// box per advanced input of the model, with a value box when the input has a
// value word, and the input's explanation. The dialog keeps a working copy
// of ADVANCED; lengths (value type 2) are shown in the height units and
// stored as raw counts.
//
// The Qt dialog renders this model and places its controls; the rules
// (whether it opens, the value filter, reading a value, storing) live here
// so they are tested without widgets.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/unit_configuration.h"
#include "core/config/value_checks.h"

namespace ostrel {

struct ModelDatabase;

// What one advanced input shows when the dialog opens.
struct AdvancedRow {
  std::string caption;
  std::vector<std::string> explanation;  // its lines; none: no explanation
  bool hasValue = false;                 // a value box beside the check box
  std::string unitsText;                 // the label beside the value box
  bool set = false;                      // the box starts ticked
  std::string valueText;                 // the value box's text ("%3.1f"), empty when unset
};

class AdvancedFormModel {
 public:
  static constexpr const char* kNoticeFile = "advancednotice.txt";

  AdvancedFormModel(const ModelDatabase& model, const UnitConfiguration& config);

  // No inputs: the Advanced button shows ERROR_MESSAGE62 instead.
  bool empty() const { return rows_.empty(); }

  // What the Advanced button does before the dialog: a model without inputs
  // refuses with ERROR_MESSAGE62; otherwise the user is asked first, with
  // the notice file's text in the installed data folder, or STATUS_MESSAGE26
  // when there is none, and the dialog opens only on Yes.
  struct Opening {
    bool refused = false;
    std::string message;  // the refusal, or the question
  };
  static Opening opening(const ModelDatabase& model, const UnitConfiguration& config,
                         const std::filesystem::path& installedData,
                         const std::function<std::string(const char* key)>& text);
  const std::vector<AdvancedRow>& rows() const { return rows_; }

  // Whether a value box may hold this text: digits and one point, or a
  // hexadecimal number after a leading "0X" (case does not matter).
  static bool accepts(std::string_view text);
  // An edit of a value box: while the text is refused the character before
  // the caret goes. refused tells whether anything went (the dialog beeps).
  struct Filtered {
    std::string text;
    int caret = 0;
    bool refused = false;
  };
  static Filtered filter(std::string text, int caret);
  // A value box read back: empty gives -1, "0X..." a hexadecimal integer,
  // anything else a decimal number.
  static double readValue(std::string_view text);

  // "Update": the boxes as the user left them, in row order. Rows without
  // a value box take -1. A box whose text is still the one it opened with
  // was not edited: its value goes back exactly as it was read, not from
  // the rounded text. Then check(), and store() when it passed.
  void update(const std::vector<bool>& ticked, const std::vector<std::string>& texts);
  const std::vector<AdvancedEntry>& entries() const { return entries_; }
  // The first ticked value its word cannot hold, as the range finding the
  // page's checks give (ERROR_MESSAGE47 under ERROR_MESSAGE46) with the
  // input's caption and the largest value in the units the box shows.
  std::optional<ValueCheckResult> check() const;
  // Set flags as they are; lengths become raw counts; a missing value stays
  // -1; an unedited value is the one read.
  void store(UnitConfiguration& config) const;

  // The largest value an input's word holds: 0xFFFF on the page stands for
  // "no value", so it cannot be a value too.
  static constexpr double kLargestCount = 65534.0;
  // check() over ADVANCED as a configuration holds it (raw counts): what a
  // write must refuse rather than wrap to 16 bits.
  static std::optional<ValueCheckResult> checkStored(const ModelDatabase& model,
                                                     const UnitConfiguration& config);

  // The notice shown before the dialog: the file's lines, each followed by
  // a line break; nothing when it is missing or cannot be read.
  static std::optional<std::string> noticeText(const std::filesystem::path& file);

 private:
  std::vector<AdvancedRow> rows_;
  std::vector<int> valueTypes_;
  std::vector<AdvancedEntry> entries_;  // values in the units the boxes show
  std::vector<AdvancedEntry> read_;     // as the configuration held them (raw counts)
  std::vector<bool> edited_;            // the box's text differs from what it opened with
  double countsPerUnit_ = 1.0;          // UNITCONV[UNITS]
};

}  // namespace ostrel
