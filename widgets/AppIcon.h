#pragma once
#include <QIcon>

/// The application icon at 16, 32, 48 and 64 pixels (bitmap renditions of
/// res/morvane.svg, so no SVG support is needed at run time). Also makes
/// sure the GUI library's resources are linked into the program.
QIcon MorvaneIcon();
