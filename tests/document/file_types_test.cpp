// The type lists of the Open and Save As boxes.
#include <gtest/gtest.h>

#include <algorithm>

#include "document/KEPAteloFileTypes.h"
#include "image/KEPAtelIma.h"

namespace {

bool Offers(const KEPAteloFileTypes& types, const std::string& pattern) {
  return std::any_of(types.begin(), types.end(),
                     [&](const auto& entry) { return entry.second == pattern; });
}

TEST(FileTypes, TheBoxesOfferEveryTypeTheImageServicesHandle) {
  const KEPAteloFileTypes& open = OpenFileTypes();
  ASSERT_GT(open.size(), 14u);
  EXPECT_EQ(open.front().first, "All images");
  EXPECT_EQ(open[1], (std::pair<std::string, std::string>{"picture", "*.picture"}));
  EXPECT_EQ(open.back(), (std::pair<std::string, std::string>{"series", "*.series"}));
  EXPECT_TRUE(Offers(open, "*.*pm"));
  const KEPAteloFileTypes& save = SaveFileTypes();
  EXPECT_EQ(save.back().second, "*.series");
  EXPECT_TRUE(Offers(save, "*.rtl"));
  EXPECT_EQ(BackgroundFileTypes().size() + 1, open.size());
  EXPECT_FALSE(Offers(BackgroundFileTypes(), "*.series"));

  for (const char* type : {"png", "exr", "hdr", "tga", "tiff", "dpx"}) {
    const std::string pattern = std::string("*.") + type;
    EXPECT_EQ(Offers(open, pattern), KEPAtelIma::CanReadFormat(type)) << type;
    EXPECT_EQ(Offers(save, pattern), KEPAtelIma::CanWriteFormat(type)) << type;
    const bool inAll =
        (" " + open.front().second + " ").find(" " + pattern + " ") != std::string::npos;
    EXPECT_EQ(inAll, KEPAtelIma::CanReadFormat(type)) << type;
  }
  // Types a classic entry covers are not offered twice.
  EXPECT_FALSE(Offers(open, "*.xpm"));
  EXPECT_EQ(std::count_if(open.begin(), open.end(), [](auto& e) { return e.second == "*.jpg"; }),
            1);
}

}  // namespace
