#include "core/config/page_start.h"

#include "core/config/pulse_configuration.h"
#include "core/config/unit_configuration.h"
#include "core/link/pulse_protocol.h"
#include "core/model/model_records.h"
#include "core/volume/table_page.h"
#include "core/volume/volume_table.h"

namespace ostrel {

const std::array<UnitMemory::Page, 4>* PageStart::images() const {
  if (services_.pages != nullptr) return services_.pages;
  return services_.memory != nullptr ? &services_.memory->Pages : nullptr;
}

CustomerPageDecoding PageStart::decodeImages() {
  const std::array<UnitMemory::Page, 4>& pages = *images();
  VolumeTable& volume = *records_.volume;
  TablePage::decode(pages[UnitMemory::kHistory], volume);
  CustomerPageDecoding d = CustomerPage::decode(pages[UnitMemory::kCustomer],
                                                services_.records->Database, *records_.config);
  for (std::size_t i = 0; i < d.dimensions.size(); ++i) volume.Dimensions[i] = d.dimensions[i];
  return d;
}

void PageStart::apply(const CustomerPageDecoding& d) {
  *records_.config = d.configuration;
  if (d.rows) *records_.strapping = *d.rows;
  BoxMapper::fromCustomer(d.boxes, *boxes_, *rows_);
}

int PageStart::decodePages() {
  const CustomerPageDecoding d = decodeImages();
  apply(d);
  return d.result;
}

int PageStart::decodeUnit(bool pulseRadar) {
  if (pulseRadar && services_.pulse != nullptr) {
    const PulseParameters& block = services_.pulse->Parameters();
    const PulseConfigurationDecoding d =
        PulseConfiguration::decode(block, services_.records->Database, *records_.config);
    *records_.config = d.configuration;
    records_.radar->values = block;
    BoxMapper::fromPulse(d, *boxes_);
    return d.result;
  }
  return hasPages() ? decodePages() : 0;
}

void PageStart::restoreUnitsView() {
  const CustomerPageDecoding d = decodeImages();
  UnitConfiguration& config = *records_.config;
  config.shapeCode = d.configuration.shapeCode;
  config.heightUnits = d.configuration.heightUnits;
  config.outputUnits = d.configuration.outputUnits;
  config.sensorHeight = d.configuration.sensorHeight;
}

}  // namespace ostrel
