#include <OpenImageIO/imageio.h>
#include <gtest/gtest.h>

#include <QImageReader>
#include <QImageWriter>
#include <memory>
#include <set>
#include <string>

#include "image/KEPAtelIma.h"

namespace {
struct OwnedList {
  OwnedList() { KEPAtelIma::GetFormatList(list); }
  ~OwnedList() {
    for (int i = 1; i <= list.Size(); ++i) delete list[i];
  }
  KEPListPtrKEPAtelImaFormat list;
};
}  // namespace

TEST(Formats, ListAgreesWithTheQueriesAndTheLibraries) {
  OwnedList formats;
  ASSERT_GT(formats.list.Size(), 0);
  std::set<std::string> seen;
  for (int i = 1; i <= formats.list.Size(); ++i) {
    const KEPAtelImaFormat& f = *formats.list[i];
    const std::string ext = f.GetExtension();
    SCOPED_TRACE(ext);
    EXPECT_TRUE(seen.insert(ext).second) << "listed twice";
    EXPECT_FALSE(f.GetComment().empty());
    EXPECT_NE(f.GetFlags(), 0);
    EXPECT_EQ(KEPAtelIma::CanReadFormat(ext.c_str()), f.IsReadable());
    EXPECT_EQ(KEPAtelIma::CanWriteFormat(ext.c_str()), f.IsWritable());

    KEPAtelImaFormat info(ext.c_str());
    ASSERT_EQ(KEPAtelIma::GetFormatInfo(info), 0);
    EXPECT_EQ(info.GetComment(), f.GetComment());
    EXPECT_EQ(info.GetFlags(), f.GetFlags());

    // The claim is checked against the library that will do the work.
    if (ext == "xpm") {
      EXPECT_TRUE(QImageReader::supportedImageFormats().contains("xpm"));
      if (f.IsWritable()) {
        EXPECT_TRUE(QImageWriter::supportedImageFormats().contains("xpm"));
      }
    } else {
      if (f.IsReadable()) {
        EXPECT_TRUE(OIIO::ImageInput::create(ext)) << OIIO::geterror();
      }
      if (f.IsWritable()) {
        EXPECT_TRUE(OIIO::ImageOutput::create(ext)) << OIIO::geterror();
      }
    }
  }
  for (const char* needed : {"tif", "rgb", "sgi", "jpg", "bmp", "xpm", "png", "ppm", "pgm", "tga",
                             "rla", "exr", "hdr"}) {
    EXPECT_TRUE(KEPAtelIma::CanReadFormat(needed)) << needed;
    EXPECT_TRUE(KEPAtelIma::CanWriteFormat(needed)) << needed;
  }
  EXPECT_TRUE(KEPAtelIma::CanReadFormat("pic"));
  EXPECT_FALSE(KEPAtelIma::CanWriteFormat("pic"));
}

TEST(Formats, MatchingIgnoresCaseAndRefusesTheRest) {
  EXPECT_TRUE(KEPAtelIma::CanReadFormat("TIF"));
  EXPECT_TRUE(KEPAtelIma::CanWriteFormat("Png"));
  KEPAtelImaFormat upper("JPG");
  ASSERT_EQ(KEPAtelIma::GetFormatInfo(upper), 0);
  EXPECT_EQ(upper.GetComment(), "JPEG File Interchange Format");
  EXPECT_EQ(upper.GetExtension(), "JPG");

  for (const char* no : {"series", "", "abc", "tif.gz"}) {
    EXPECT_FALSE(KEPAtelIma::CanReadFormat(no)) << no;
    EXPECT_FALSE(KEPAtelIma::CanWriteFormat(no)) << no;
    KEPAtelImaFormat unknown(no, "keep", "keep", 3);
    EXPECT_NE(KEPAtelIma::GetFormatInfo(unknown), 0);
  }
  EXPECT_FALSE(KEPAtelIma::CanReadFormat(nullptr));
}
