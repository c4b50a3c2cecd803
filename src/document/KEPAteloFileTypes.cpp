#include "document/KEPAteloFileTypes.h"

const KEPAteloFileTypes& OpenFileTypes() {
  static const KEPAteloFileTypes types = {
      {"picture", "*.picture"}, {"tiff", "*.tif"},    {"rgb", "*.rgb"},
      {"rla", "*.rla"},         {"rlb", "*.rlb"},     {"qntpal", "*.qntpal"},
      {"qntntsc", "*.qntntsc"}, {"alias", "*.alias"}, {"pic", "*.pic"},
      {"pm / xpm", "*.*pm"},    {"jpeg", "*.jpg"},    {"bmp", "*.bmp"},
      {"series", "*.series"}};
  return types;
}

KEPAteloFileTypes BackgroundFileTypes() {
  KEPAteloFileTypes types = OpenFileTypes();
  types.pop_back();
  return types;
}

const KEPAteloFileTypes& SaveFileTypes() {
  static const KEPAteloFileTypes types = {
      {"picture", "*.picture"}, {"tiff", "*.tif"},        {"rgb", "*.rgb"},
      {"qntpal", "*.qntpal"},   {"qntntsc", "*.qntntsc"}, {"rtl", "*.rtl"},
      {"jpeg", "*.jpg"},        {"bmp", "*.bmp"},         {"series", "*.series"}};
  return types;
}
