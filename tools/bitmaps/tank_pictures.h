#pragma once
// The tank structures' pictures: list icons, the dimension form pictures
// (volume and distance output, ultrasonic and guided-wave) and the
// configuration page pictures.

#include "output_folder.h"

namespace ostrel::bitmaps {

void drawTankStructures(OutputFolder& out);

}  // namespace ostrel::bitmaps
