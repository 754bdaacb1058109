#pragma once

#include "app/ViewSnapshot.h"

namespace varnel {

class ViewPainter;

// Draws a prepared view snapshot: its texts in their fonts, cut at their widths, and its lines.
// Reads nothing and reports nothing. Returns 0 when it only drew a notice, 1 otherwise.
int DrawConfiguration(const ViewSnapshot& snapshot, ViewPainter& painter);

}  // namespace varnel
