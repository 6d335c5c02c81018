#pragma once
// The pictures the model files name themselves: the logos, each model's
// front picture and its tank pictures, the overlay pictures of the level
// rows, and the independent relays picture.

#include <QString>

#include "output_folder.h"

namespace ostrel::bitmaps {

// False when the model files cannot be read for their overlay positions.
bool drawModelPictures(OutputFolder& out, const QString& modelsFolder);

}  // namespace ostrel::bitmaps
