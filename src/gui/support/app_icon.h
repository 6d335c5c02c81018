#pragma once
// The tool's icon, drawn rather than shipped: a tank with its liquid level
// and the transmitter on its roof.

#include <QIcon>

namespace ostrel {

QIcon applicationIcon();

}  // namespace ostrel
