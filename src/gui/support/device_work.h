#pragma once
// Device work off the GUI thread. A device procedure is sequential and may
// take seconds (an identification listens for up to 8 s); it runs on a
// worker thread while the GUI thread waits in a local event loop that keeps
// every window painting and takes no user input, so no second device
// operation can start meanwhile. What the procedure shows reaches the
// windows as queued calls; questions it asks go to the GUI thread as
// blocking calls (QtPresenter), which this loop serves.

#include <functional>

namespace ostrel {

class DeviceWork {
 public:
  // Runs work to its end on a worker thread; returns when it has ended.
  // Call on the GUI thread, never from inside another run.
  static void run(const std::function<void()>& work);

  // True while a run is under way.
  static bool running();
};

}  // namespace ostrel
