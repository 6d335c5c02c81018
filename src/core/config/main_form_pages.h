#pragma once
// The pages of the main form that come and go with the kind of model the
// configuration page shows.

namespace ostrel {

struct MainFormPages {
  bool liveDisplay = false;
  bool diagnostics = false;
  bool echoCurve = false;  // the pulse radar's echo curves
  bool update = false;
  bool operator==(const MainFormPages&) const = default;
};

}  // namespace ostrel
