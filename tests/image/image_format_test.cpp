#include <OpenImageIO/imageio.h>
#include <gtest/gtest.h>

#include <QImageReader>
#include <memory>
#include <string>

#include "image/KEPAtelIma.h"

TEST(Formats, WhatIsOfferedIsWhatTheLibrariesDoAndCaseIsIgnored) {
  KEPListPtrKEPAtelImaFormat formats;
  KEPAtelIma::GetFormatList(formats);
  ASSERT_GT(formats.Size(), 0);
  for (int i = 1; i <= formats.Size(); ++i) {
    std::unique_ptr<KEPAtelImaFormat> f(formats[i]);
    const std::string ext = f->GetExtension();
    SCOPED_TRACE(ext);
    EXPECT_FALSE(f->GetComment().empty());
    EXPECT_EQ(KEPAtelIma::CanReadFormat(ext.c_str()), f->IsReadable());
    EXPECT_EQ(KEPAtelIma::CanWriteFormat(ext.c_str()), f->IsWritable());
    // Writing is proven by the round trips; reading read-only types here.
    if (ext == "xpm") {
      EXPECT_TRUE(QImageReader::supportedImageFormats().contains("xpm"));
    } else if (f->IsReadable()) {
      EXPECT_TRUE(OIIO::ImageInput::create(ext)) << OIIO::geterror();
    }
  }
  formats.RemoveAll();
  for (const char* needed : {"tif", "rgb", "sgi", "jpg", "bmp", "xpm", "png", "ppm", "pgm", "tga",
                             "rla", "exr", "hdr", "TIF", "Png"}) {
    EXPECT_TRUE(KEPAtelIma::CanReadFormat(needed) && KEPAtelIma::CanWriteFormat(needed)) << needed;
  }
  EXPECT_TRUE(KEPAtelIma::CanReadFormat("pic"));
  EXPECT_FALSE(KEPAtelIma::CanWriteFormat("pic"));

  KEPAtelImaFormat upper("JPG");
  ASSERT_EQ(KEPAtelIma::GetFormatInfo(upper), 0);
  EXPECT_EQ(upper.GetComment(), "JPEG File Interchange Format");
  EXPECT_EQ(upper.GetFlags(), KEPAtelImaFormat::READABLE | KEPAtelImaFormat::WRITABLE);
  for (const char* no : {"series", "", "abc", "tif.gz"}) {
    EXPECT_FALSE(KEPAtelIma::CanReadFormat(no) || KEPAtelIma::CanWriteFormat(no)) << no;
    KEPAtelImaFormat unknown(no);
    EXPECT_NE(KEPAtelIma::GetFormatInfo(unknown), 0);
  }
  EXPECT_FALSE(KEPAtelIma::CanReadFormat(nullptr));
}
