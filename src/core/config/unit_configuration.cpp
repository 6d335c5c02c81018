#include "core/config/unit_configuration.h"

#include "core/support/text_format.h"

namespace ostrel {

std::string UnitConfiguration::softwareRevisionText(std::int32_t revision) {
  if (revision > 99) return formatText("%d.%d", {revision / 10, revision % 10});
  return formatText("%d", {revision});
}

}  // namespace ostrel
