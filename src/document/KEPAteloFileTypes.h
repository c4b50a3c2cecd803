#pragma once

#include <string>
#include <utility>
#include <vector>

// Type lists of the file boxes, as (label, pattern) pairs.
using KEPAteloFileTypes = std::vector<std::pair<std::string, std::string>>;

// Open (also used by the compose and logo windows): "All images" (every
// type the image services read), the workbench's classic entries, one entry
// for each other readable type, and "series" last.
const KEPAteloFileTypes& OpenFileTypes();
// Open without "series": a background is one image.
KEPAteloFileTypes BackgroundFileTypes();
// Save As: the classic entries, one entry for each other writable type, and
// "series" last.
const KEPAteloFileTypes& SaveFileTypes();
