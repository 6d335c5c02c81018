#pragma once
// What the configuration page shows of the unit when it becomes active, or
// when the unit's pages changed behind it: the pulse radar's parameter
// block, or the page images the connect sequence read (the table page into
// the volume table, the customer page into the record, the boxes and the
// strapping rows). The sample program has no unit: its page starts from
// the model's factory file instead.

#include <array>

#include "core/config/box_mapper.h"
#include "core/config/config_page_services.h"
#include "core/config/customer_page.h"
#include "core/config/radar_command_list.h"

namespace ostrel {

class VolumeTable;
struct StrappingRows;
struct UnitConfiguration;

class PageStart {
 public:
  // The unit's state goes into the page's records, boxes and level rows,
  // all lent for the page's life.
  PageStart(const ConfigPageServices& services, PageRecords records, PageBoxes* boxes,
            LevelRows* rows)
      : services_(services), records_(records), boxes_(boxes), rows_(rows) {}

  // Whether the page has the unit's page images to decode.
  bool hasPages() const { return images() != nullptr; }
  // The unit's state into the records: the radar's block on a connected
  // pulse radar, else the page images when there are any. 0, or the
  // decoder's failure code.
  int decodeUnit(bool pulseRadar);
  // The page images alone (a file's units the unit cannot show, a word
  // written behind the page).
  int decodePages();
  // A decoding already made (a verified write's read-back).
  void apply(const CustomerPageDecoding& d);
  // After the page is left, other pages see what the unit holds: shape,
  // units and sensor height, and the volume table, from the unit's pages.
  void restoreUnitsView();

 private:
  const std::array<UnitMemory::Page, 4>* images() const;
  CustomerPageDecoding decodeImages();

  const ConfigPageServices& services_;
  PageRecords records_;
  PageBoxes* boxes_;
  LevelRows* rows_;
};

}  // namespace ostrel
