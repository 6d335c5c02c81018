#pragma once
// The printed configuration report as plain data: what the configuration
// page shows now (unsaved edits included), arranged in captioned sections
// and fetched in the page's language. The GUI lays it out on paper; the
// tests read it here without a printer.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/support/notice.h"

namespace ostrel {

class ConfigPageModel;
struct ModelRecords;

struct ConfigReportResult;

struct ConfigReport {
  struct Line {
    std::string caption;
    std::string value;
    std::string units;  // empty: the value has none
  };
  struct Section {
    std::string heading;
    std::string subtitle;  // a line under the heading (the matched configuration, the structure)
    std::vector<Line> lines;
    std::string footnote;  // a line after the table (the capacity line)
  };
  // One row of a strapping table.
  struct StrappingRow {
    std::string level;
    std::string volume;
  };

  std::string logoLine;   // the program's name and the maker
  std::string logoImage;  // file name in the Bitmaps folder; may be empty
  std::string title;
  std::string model;
  std::int32_t serial = 0;
  std::string description;  // the unit's description line

  Section unit;           // model, serial, hardware, software, files
  Section configuration;  // the matched configuration and each item's choice
  Section heights;        // units and the sensor and fill heights
  Section levels;         // level rows or independent relay points
  std::optional<Section> structure;  // tank, weir, flume or strapping table
  std::string strappingHeading;
  std::string strappingLevelCaption;
  std::string strappingVolumeCaption;
  std::vector<StrappingRow> strapping;
  std::string notesCaption;
  std::string notes;
  std::string dateCaption;
  std::string date;
  std::string pageFormat;  // "%d" page, "%d" pages

  // The report of the page as it stands; `date` is printed as given. A
  // page without a matched configuration is refused with the message to
  // show (nothing on it would say what the unit does).
  static ConfigReportResult build(const ConfigPageModel& page, const ModelRecords& records,
                                  const std::string& date);
};

struct ConfigReportResult {
  std::optional<ConfigReport> report;
  std::optional<Notice> refusal;
};

}  // namespace ostrel
