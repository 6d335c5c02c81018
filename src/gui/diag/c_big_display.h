#pragma once
// The live display: the unit's level and relay states as the unit streams
// them. A view over LiveDisplayModel; the stream runs in a StreamController
// whose long pauses run as device work, so the window keeps painting.

#include <array>
#include <functional>
#include <memory>

#include "core/config/unit_configuration.h"
#include "core/diag/live_display_model.h"
#include "core/volume/strapping_rows.h"
#include "core/volume/volume_table.h"
#include "gui/support/c_property_page.h"

class QLabel;

namespace ostrel {

class CLed;
class ConfigPageModel;
class StreamController;

class CBigDisplay : public CPropertyPage, public LiveDisplayView {
  Q_OBJECT

 public:
  explicit CBigDisplay(PageServices services, QWidget* parent = nullptr);
  ~CBigDisplay() override;

  // Where the volume table and strapping rows the unit holds come from.
  std::function<ConfigPageModel*()> configurationModel;

  void OnSetActive() override;
  bool OnKillActive() override;
  // OK and Cancel of the main form: the worker ends and the link closes,
  // without the pause of leaving the page.
  void stopWithoutPause();

  const LiveDisplayModel* model() const { return model_.get(); }
  QLabel* levelDisplay() const { return level_; }
  QLabel* distanceDisplay() const { return distance_; }
  QLabel* statusLine() const { return status_; }
  CLed* relayLamp(int i) const { return relays_[static_cast<std::size_t>(i)]; }
  CLed* activityLamp() const { return activity_; }
  const StreamController* stream() const { return stream_.get(); }

  // LiveDisplayView
  void changed(LivePart part) override;

 private:
  void stop(bool leaving);

  std::unique_ptr<LiveDisplayModel> model_;
  std::unique_ptr<StreamController> stream_;
  QLabel* level_;
  QLabel* distance_;
  QLabel* distanceLabel_;
  QLabel* units_;
  QLabel* status_;
  std::array<CLed*, 4> relays_{};
  CLed* activity_;
  // Placeholders for a page without a configuration page behind it.
  UnitConfiguration noConfig_;
  VolumeTable noVolume_;
  StrappingRows noRows_;
};

}  // namespace ostrel
