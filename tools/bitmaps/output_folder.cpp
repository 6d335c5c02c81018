#include "output_folder.h"

#include "sketch.h"

namespace ostrel::bitmaps {

void OutputFolder::save(Sketch& sketch, const QString& name) {
  if (sketch.save(path_, name)) {
    written_ << name;
  } else {
    failed_ << name;
  }
}

}  // namespace ostrel::bitmaps
