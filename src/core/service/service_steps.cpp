#include "core/service/service_steps.h"

#include "core/link/unit_memory.h"

namespace ostrel {

ServiceStep writeDirectEntry(UnitMemory& memory, const DirectEntryRequest& request) {
  ServiceStep step;
  if (request.page != 1 && request.page != 2) {
    // The dialog hands only the customer or factory page; anything else is
    // refused before the unit is touched.
    step.result = -1;
    step.notice = Notice::message("ERROR_MESSAGE69", {}, kStyleError);
    return step;
  }
  UnitMemory::Page& image = memory.Pages[static_cast<std::size_t>(request.page - 1)];
  applyDirectEntry(image.data(), request);
  memory.WriteBuffer = image;
  step.result = memory.WritePage(request.page);
  if (step.result != 0) {
    step.notice = Notice::message(
        "ERROR_MESSAGE77", {step.result, request.page, request.address, request.value}, kStyleError);
  }
  return step;
}

ServiceStep readInfoMemory(UnitMemory& memory, std::uint8_t* image) {
  ServiceStep step;
  step.result = memory.ReadInfoMemory(image);
  if (step.result != 0) step.notice = Notice::platformBox("Error reading info memory", kStyleError);
  return step;
}

ServiceStep writeInfoMemory(UnitMemory& memory, const std::uint8_t* image) {
  ServiceStep step;
  step.result = memory.WriteInfoMemory(image);
  if (step.result != 0) step.notice = Notice::message("ERROR_MESSAGE76", {step.result}, kStyleError);
  return step;
}

}  // namespace ostrel
