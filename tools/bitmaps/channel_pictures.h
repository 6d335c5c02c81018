#pragma once
// The weirs' and flumes' pictures: list icons, the formula form pictures
// and the configuration page pictures, each a side view of the channel
// with the transmitter above its measuring point.

#include "output_folder.h"

namespace ostrel::bitmaps {

void drawChannelStructures(OutputFolder& out);

}  // namespace ostrel::bitmaps
