#include "document/KEPAteloFileTypes.h"

#include <fnmatch.h>

#include "image/KEPAtelImaFormat.h"
#include "image/KEPImageFile.h"

namespace {

bool Covered(const KEPAteloFileTypes& types, const std::string& extension) {
  const std::string name = "x." + extension;
  for (const auto& [label, pattern] : types)
    if (fnmatch(pattern.c_str(), name.c_str(), 0) == 0) return true;
  return false;
}

// The fixed entries, then one entry for every other type of the image
// services with the flag, then the series files.
KEPAteloFileTypes WithServiceTypes(KEPAteloFileTypes fixed, int flag) {
  std::pair<std::string, std::string> series = fixed.back();
  fixed.pop_back();
  KEPAteloFileTypes types = fixed;
  for (const KEPImageFile::Type& type : KEPImageFile::Types()) {
    if ((type.flags & flag) && !Covered(fixed, type.extension))
      types.emplace_back(type.extension, "*." + type.extension);
  }
  types.push_back(series);
  return types;
}

}  // namespace

const KEPAteloFileTypes& OpenFileTypes() {
  static const KEPAteloFileTypes types = [] {
    KEPAteloFileTypes list = WithServiceTypes({{"picture", "*.picture"},
                                               {"tiff", "*.tif"},
                                               {"rgb", "*.rgb"},
                                               {"rla", "*.rla"},
                                               {"rlb", "*.rlb"},
                                               {"qntpal", "*.qntpal"},
                                               {"qntntsc", "*.qntntsc"},
                                               {"alias", "*.alias"},
                                               {"pic", "*.pic"},
                                               {"pm / xpm", "*.*pm"},
                                               {"jpeg", "*.jpg"},
                                               {"bmp", "*.bmp"},
                                               {"series", "*.series"}},
                                              KEPAtelImaFormat::READABLE);
    std::string all;
    for (const KEPImageFile::Type& type : KEPImageFile::Types()) {
      if (!(type.flags & KEPAtelImaFormat::READABLE)) continue;
      all += (all.empty() ? "*." : " *.") + type.extension;
    }
    if (!all.empty()) list.insert(list.begin(), {"All images", all});
    return list;
  }();
  return types;
}

KEPAteloFileTypes BackgroundFileTypes() {
  KEPAteloFileTypes types = OpenFileTypes();
  types.pop_back();
  return types;
}

const KEPAteloFileTypes& SaveFileTypes() {
  static const KEPAteloFileTypes types = WithServiceTypes({{"picture", "*.picture"},
                                                           {"tiff", "*.tif"},
                                                           {"rgb", "*.rgb"},
                                                           {"qntpal", "*.qntpal"},
                                                           {"qntntsc", "*.qntntsc"},
                                                           {"rtl", "*.rtl"},
                                                           {"jpeg", "*.jpg"},
                                                           {"bmp", "*.bmp"},
                                                           {"series", "*.series"}},
                                                          KEPAtelImaFormat::WRITABLE);
  return types;
}
