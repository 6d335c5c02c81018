#pragma once
// The application object: one instance per user, then the startup window
// until it closes.

#include <QStringList>

namespace ostrel {

class COstrelApp {
 public:
  static constexpr int kExitSecondInstance = 1;
  // A run with --screenshots that ended before the main form.
  static constexpr int kExitNoUnit = 3;

  // Runs the tool; returns the process exit code. The QApplication must exist.
  static int run(const QStringList& arguments);
};

}  // namespace ostrel
