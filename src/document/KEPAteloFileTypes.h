#pragma once

#include <string>
#include <utility>
#include <vector>

// Type lists of the file boxes, as (label, pattern) pairs.
using KEPAteloFileTypes = std::vector<std::pair<std::string, std::string>>;

// Open (also used by the compose, defaults and logo windows).
const KEPAteloFileTypes& OpenFileTypes();
// Open without "series": a background is one image.
KEPAteloFileTypes BackgroundFileTypes();
const KEPAteloFileTypes& SaveFileTypes();
