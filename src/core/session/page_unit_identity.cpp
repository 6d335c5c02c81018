#include "core/session/page_unit_identity.h"

#include "core/link/unit_memory.h"
#include "core/support/presenter.h"

namespace ostrel {
namespace {

// Passes the page reader's progress on to the caller's steps.
class StepProgress final : public ProgressSink {
 public:
  explicit StepProgress(IdentifySteps* steps) : steps_(steps) {}
  void setMessage(const std::string&) override {}
  void setProgress(int percent) override {
    percent_ = percent;
    if (steps_) steps_->progress(percent);
  }
  int progress() const override { return percent_; }

 private:
  IdentifySteps* steps_;
  int percent_ = 0;
};

}  // namespace

const char* PageUnitIdentity::kindName(Kind kind) {
  switch (kind) {
    case Kind::GuidedWave: return "guided-wave";
    case Kind::UType: return "u-type";
    case Kind::Ultrasonic: break;
  }
  return "ultrasonic";
}

PageUnitIdentity identifyPageUnit(UnitMemory& memory, IdentifySteps* steps) {
  PageUnitIdentity id;
  const auto caption = [steps](std::string_view key) {
    if (steps) steps->caption(key);
  };
  const auto progress = [steps](int percent) {
    if (steps) steps->progress(percent);
  };
  const auto failed = [&id](const char* key, int result) {
    id.errorKey = key;
    id.result = result;
    return id;
  };

  StepProgress pageProgress(steps);
  int r = memory.ReadAllPages(nullptr, 30, 40, 50, &pageProgress);
  if (r != 0) return failed("ERROR_MESSAGE1", r);

  const std::uint8_t* factory = memory.Pages[UnitMemory::kFactory].data();
  id.typeLetter = static_cast<char>(factory[180]);
  const bool guided = id.typeLetter == 'G' || id.typeLetter == 'g';
  const bool uType = id.typeLetter == 'U' || id.typeLetter == 'u';
  id.kind = guided  ? PageUnitIdentity::Kind::GuidedWave
            : uType ? PageUnitIdentity::Kind::UType
                    : PageUnitIdentity::Kind::Ultrasonic;

  if (guided || uType) {
    r = memory.ReadModelPage(id.firmware, id.swRev);
    if (r != 0) return failed("ERROR_MESSAGE1", r);
    // An erased model page starts with a byte that has the top bit set.
    if (!id.firmware.empty() && (memory.ModelPage[0] & 0x80) != 0) id.firmware.clear();
  }

  caption("BUSY_MESSAGE3");
  r = UnitMemory::ParseFactoryIdentity(factory, id.fileSerial, id.firmware, id.swRev,
                                       guided || uType);
  if (r != 0) return failed("ERROR_MESSAGE2", r);
  progress(55);

  caption("BUSY_MESSAGE4");
  r = memory.ReadInfoMemory(memory.Info.data());
  if (r != 0) return failed("ERROR_MESSAGE3", r);
  progress(60);

  caption("BUSY_MESSAGE5");
  id.model = "Not Assigned";
  r = UnitMemory::ParseHardwareIdentity(memory.Info.data(), id.serial, id.model);
  if (r != 0) return failed("ERROR_MESSAGE4", r);
  return id;
}

}  // namespace ostrel
