// Whether the texts a line graph draws can be read whole: every label of its time or value
// axis inside the graph and clear of the legend, clear of its neighbours and different from
// them, and every legend name, wrapped at its words in the legend's font, inside its row
// and the graph.
#pragma once
#include "graphics/CGraphicObGraphLine.h"

#include <string>
#include <vector>

class CDC;

namespace testing_support {

// One line per text that is cut, overlaps or repeats its neighbour: which and where.
std::vector<std::string> GraphTextFaults(CDC& dc, CGraphicObGraphLine& graph);

} // namespace testing_support
