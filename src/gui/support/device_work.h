#pragma once
// Device work off the GUI thread. A device procedure is sequential and may
// take seconds (an identification listens for up to 8 s); it runs on a
// worker thread while the GUI thread waits in a local event loop that keeps
// every window painting and drops the user's input, so no second device
// operation can start meanwhile. What the procedure shows reaches the
// windows as queued calls; questions it asks go to the GUI thread as
// blocking calls (QtPresenter), which this loop serves.

#include <functional>

namespace ostrel {

class DeviceWork {
 public:
  // Runs work to its end on a worker thread; returns true when it has
  // ended. A run asked for while another is under way (a timer or a slot
  // re-entered from the local loop) is refused at once: false, and the work
  // never starts. An exception thrown by the work reaches the caller here.
  // Call on the GUI thread.
  [[nodiscard]] static bool run(const std::function<void()>& work);

  // True while a run is under way.
  static bool running();
};

}  // namespace ostrel
