#include <OpenImageIO/imageio.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImageReader>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// Pixels that all differ, with varied alpha; the blue channel is noise
// unless the picture must survive a lossy type.
std::unique_ptr<KEPAtelIma> Picture(const std::string& name, int width, int height,
                                    bool smooth = false) {
  auto image = std::make_unique<KEPAtelIma>(name.c_str(), KEPAtelIma::STATE_IN_MEMORY, 0);
  EXPECT_EQ(image->AllocatePixels(width, height), 0);
  unsigned char* p = image->GetPixels();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x, p += 4) {
      p[0] = static_cast<unsigned char>(x * 255 / (width - 1));
      p[1] = static_cast<unsigned char>(y * 255 / (height - 1));
      p[2] = static_cast<unsigned char>(smooth ? (x + y) * 255 / (width + height - 2)
                                               : (x * 31 + y * 17) & 0xFF);
      p[3] = static_cast<unsigned char>(255 - ((x + y) % 4) * 60);
    }
  return image;
}

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> WritableTypes() {
  KEPListPtrKEPAtelImaFormat formats;
  KEPAtelIma::GetFormatList(formats);
  std::vector<std::string> types;
  for (int i = 1; i <= formats.Size(); ++i) {
    if (formats[i]->IsWritable()) types.push_back(formats[i]->GetExtension());
    delete formats[i];
  }
  return types;
}

struct Result {
  int status;
  std::string error;
  int width = 0, height = 0;
};

Result Save(KEPAtelIma& image, int writeOption = 0) {
  char errtext[KEP_ERRMSG_SIZE] = {0};
  int status = image.SaveImage(writeOption, errtext, 0);
  return {status, errtext};
}

Result Reload(KEPAtelIma& image) {
  Result r;
  char errtext[KEP_ERRMSG_SIZE] = {0};
  r.status = image.LoadPixels(r.width, r.height, errtext);
  r.error = errtext;
  return r;
}

struct Loaded : Result {
  std::unique_ptr<KEPAtelIma> image;
};

Loaded Load(const std::string& path) {
  auto image = std::make_unique<KEPAtelIma>(path.c_str(), KEPAtelIma::STATE_FROM_FILE, 0);
  return {Reload(*image), std::move(image)};
}

std::vector<unsigned char> Bytes(const KEPAtelIma& image) {
  return {image.GetPixels(), image.GetPixels() + image.GetMemorySize()};
}

// A failed save names the target, leaves the image's name and unsaved state
// and the directory as they were: no temporary file, an old file untouched.
// `fileSizeLimit` makes every writer fail part way, as a full disk would.
void ExpectFailedSave(const TempDir& dir, KEPAtelIma& image, int option = 0,
                      rlim_t fileSizeLimit = 0) {
  const std::string name = image.GetName();
  SCOPED_TRACE(name);
  const std::vector<std::string> files = FilesIn(dir.Path());
  const std::string old = fs::is_regular_file(name) ? ReadWholeFile(name) : "";
  rlimit saved, limit;
  ::getrlimit(RLIMIT_FSIZE, &saved);
  limit = saved;
  if (fileSizeLimit) limit.rlim_cur = fileSizeLimit;
  auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  ::setrlimit(RLIMIT_FSIZE, &limit);
  Result result = Save(image, option);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_NE(result.status, 0);
  EXPECT_NE(result.error.find(name), std::string::npos) << result.error;
  EXPECT_FALSE(image.IsSaved());
  EXPECT_EQ(image.GetName(), name);
  EXPECT_EQ(FilesIn(dir.Path()), files);
  if (!old.empty()) {
    EXPECT_EQ(ReadWholeFile(name), old);
  }
}

// Through OpenImageIO directly, top row first as files keep it.
void WriteWithOiio(const std::string& path, int width, int height, int channels,
                   OIIO::TypeDesc type, const void* data, int tile = 0) {
  auto out = OIIO::ImageOutput::create(path);
  OIIO::ImageSpec spec(width, height, channels, type);
  spec.tile_width = spec.tile_height = tile;
  if (channels % 2 == 0) spec.alpha_channel = channels - 1;
  spec.attribute("oiio:UnassociatedAlpha", 1);
  ASSERT_TRUE(out && out->open(path, spec) && out->write_image(type, data) && out->close());
}

}  // namespace

TEST(ImageFile, EveryWritableTypeRoundTrips) {
  // Whether alpha survives, whether only grey does, the largest difference.
  struct Fidelity {
    bool alpha, grey;
    int tolerance;
  };
  const std::map<std::string, Fidelity> expected = {
      {"tif", {true, false, 0}},   {"tiff", {true, false, 0}},   {"rgb", {true, false, 0}},
      {"rgba", {true, false, 0}},  {"sgi", {true, false, 0}},    {"png", {true, false, 0}},
      {"tga", {true, false, 0}},   {"rla", {true, false, 0}},    {"exr", {true, false, 0}},
      {"bmp", {true, false, 0}},   {"iff", {true, false, 0}},    {"dpx", {true, false, 0}},
      {"ppm", {false, false, 0}},  {"pgm", {false, true, 0}},    {"xpm", {false, false, 0}},
      {"jpg", {false, false, 12}}, {"jpeg", {false, false, 12}}, {"hdr", {false, false, 3}}};
  TempDir dir;
  const std::vector<std::string> types = WritableTypes();
  EXPECT_GE(types.size(), 12u);
  for (const std::string& ext : types) {
    SCOPED_TRACE(ext);
    ASSERT_TRUE(expected.count(ext)) << "a writable type without a round-trip expectation";
    const Fidelity f = expected.at(ext);
    auto image = Picture(dir.File("rt." + ext), 37, 23, f.tolerance > 0);
    for (unsigned char* p = image->GetPixels(); p < image->GetPixels() + 37 * 23 * 4; p += 4) {
      if (f.grey) p[1] = p[2] = p[0];
      if (!f.alpha) p[3] = 255;
    }
    Result saved = Save(*image);
    ASSERT_EQ(saved.status, 0) << saved.error;
    Loaded back = Load(dir.File("rt." + ext));
    ASSERT_EQ(back.status, 0) << back.error;
    ASSERT_EQ(std::pair(back.width, back.height), std::pair(37, 23));
    int worst = 0;
    for (std::size_t k = 0; k < image->GetMemorySize(); ++k)
      worst = std::max(worst, std::abs(image->GetPixels()[k] - back.image->GetPixels()[k]));
    EXPECT_LE(worst, f.tolerance);
  }
  // XPM keeps full transparency (its colour is then meaningless).
  auto image = Picture(dir.File("t.xpm"), 5, 4);
  for (std::size_t k = 3; k < image->GetMemorySize(); k += 4) image->GetPixels()[k] *= k % 3 == 0;
  ASSERT_EQ(Save(*image).status, 0);
  Loaded back = Load(dir.File("t.xpm"));
  for (std::size_t k = 3; k < image->GetMemorySize(); k += 4)
    EXPECT_EQ(back.image->GetPixels()[k] == 0, image->GetPixels()[k] == 0) << k;
}

TEST(ImageFile, DeepAndFewChannelFilesLoadIntoFourBytes) {
  TempDir dir;
  // `values` top row first in the file's units up to `unit`; `expected` is
  // our buffer, bottom row first.
  auto check = [&dir](const char* name, int width, int channels, OIIO::TypeDesc type, float unit,
                      std::vector<float> values, const std::vector<int>& expected) {
    SCOPED_TRACE(name);
    for (float& v : values) v /= unit;
    std::vector<char> raw(values.size() * type.size());
    OIIO::convert_pixel_values(OIIO::TypeDesc::FLOAT, values.data(), type, raw.data(),
                               static_cast<int>(values.size()));
    const int height = static_cast<int>(values.size()) / width / channels;
    WriteWithOiio(dir.File(name), width, height, channels, type, raw.data());
    Loaded l = Load(dir.File(name));
    ASSERT_EQ(l.status, 0) << l.error;
    EXPECT_EQ(std::vector<int>(l.image->GetPixels(), l.image->GetPixels() + expected.size()),
              expected);
  };
  // 16-bit grey: grey goes to red, green and blue, alpha is opaque.
  check("g16.png", 2, 1, OIIO::TypeDesc::UINT16, 65535, {0, 65535, 32768, 257},
        {128, 128, 128, 255, 1, 1, 1, 255, 0, 0, 0, 255, 255, 255, 255, 255});
  check("ga.png", 2, 2, OIIO::TypeDesc::UINT8, 255, {10, 20, 30, 40},  // grey and alpha
        {10, 10, 10, 20, 30, 30, 30, 40});
  // Float: clamped to 0..1, then rounded.
  check("f.exr", 2, 3, OIIO::TypeDesc::FLOAT, 1, {-0.5f, 0.5f, 2.0f, 0.25f, 1.0f, 0.0f},
        {0, 128, 255, 255, 64, 255, 0, 255});
  check("c16.tif", 1, 4, OIIO::TypeDesc::UINT16, 65535, {65535, 0, 32896, 65535},
        {255, 0, 128, 255});

  // Tiles that do not divide the picture.
  auto image = Picture(dir.File("tiled.tif"), 37, 41);
  std::vector<unsigned char> top(image->GetMemorySize());
  for (int y = 0; y < 41; ++y)
    std::memcpy(&top[y * 37 * 4], image->GetPixels() + (40 - y) * 37 * 4, 37 * 4);
  WriteWithOiio(image->GetName(), 37, 41, 4, OIIO::TypeDesc::UINT8, top.data(), 16);
  Loaded l = Load(image->GetName());
  ASSERT_EQ(l.status, 0) << l.error;
  EXPECT_EQ(Bytes(*l.image), Bytes(*image));
}

TEST(ImageFile, TypesAreChosenByExtension) {
  TempDir dir;
  WriteWholeFile(dir.File("list.series"), "/tmp/a.tif\n");
  for (const char* name : {"list.series", "picture.ABC"}) {
    Loaded l = Load(dir.File(name));
    const std::string ext = fs::path(name).extension().string().substr(1);
    EXPECT_EQ(l.error, "Image type '" + ext + "' not supported on open");
    ASSERT_EQ(l.image->AllocatePixels(2, 2), 0);
    EXPECT_EQ(Save(*l.image).error, "Image type '" + ext + "' not supported on save");
  }
  EXPECT_EQ(ReadWholeFile(dir.File("list.series")), "/tmp/a.tif\n");
  KEPAtelIma pic(dir.File("x.pic").c_str(), KEPAtelIma::STATE_IN_MEMORY, 0);
  ASSERT_EQ(pic.AllocatePixels(2, 2), 0);
  EXPECT_EQ(Save(pic).error, "Image type 'pic' not supported on save");

  // No extension: standard TIFF.
  auto image = Picture(dir.File("plain"), 4, 3);
  image->SetTiffVariant("TIFF");
  ASSERT_EQ(Save(*image).status, 0);
  EXPECT_STREQ(OIIO::ImageInput::open(dir.File("plain"))->format_name(), "tiff");
  EXPECT_EQ(Bytes(*Load(dir.File("plain")).image), Bytes(*image));
}

TEST(ImageFile, BadFilesAreRefusedWithAClearText) {
  TempDir dir;
  std::vector<std::string> bad;
  for (const char* ext : {"png", "tif", "jpg", "bmp", "ppm", "tga", "exr", "sgi", "xpm", "rla"}) {
    auto image = Picture(dir.File(std::string("good.") + ext), 64, 64);
    ASSERT_EQ(Save(*image).status, 0);
    const std::string all = ReadWholeFile(image->GetName());
    bad.push_back(dir.File(std::string("cut.") + ext));
    WriteWholeFile(bad.back(), all.substr(0, all.size() / 2));
  }
  WriteWholeFile(dir.File("noise.png"), std::string(300, '\x5a'));
  WriteWholeFile(dir.File("noise.tif"), std::string("II*\0garbage garbage garbage", 27));
  WriteWholeFile(dir.File("empty.jpg"), "");
  fs::create_directory(dir.File("folder.png"));
  for (const char* name : {"noise.png", "noise.tif", "empty.jpg", "folder.png", "missing.png"})
    bad.push_back(dir.File(name));

  // Headers claiming absurd sizes: refused before any allocation.
  std::string bmp(70, '\0');
  const std::pair<int, std::uint32_t> fields[] = {{2, 70},      {10, 54}, {14, 40}, {18, 100000},
                                                  {22, 100000}, {26, 1},  {28, 24}};
  for (auto [at, v] : fields)
    for (int i = 0; i < 4 && at + i < 30; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i));
  bmp[0] = 'B', bmp[1] = 'M';
  WriteWholeFile(dir.File("huge.bmp"), bmp);
  const std::string pad(64, '\0');
  WriteWholeFile(dir.File("huge.ppm"), "P6\n100000 100000\n255\n" + pad);
  WriteWholeFile(dir.File("wide.ppm"), "P6\n70000 2\n255\n" + pad);
  WriteWholeFile(dir.File("many.pgm"), "P5\n60000 60000\n255\n" + pad);
  WriteWholeFile(dir.File("huge.xpm"),
                 "/* XPM */\nstatic char* x[] = {\n\"100000 100000 1 1\",\n\"a c #ff0000\",\n"
                 "\"aaaa\"};\n");
  for (const char* name : {"huge.bmp", "huge.ppm", "wide.ppm", "many.pgm", "huge.xpm"})
    bad.push_back(dir.File(name));

  for (const std::string& path : bad) {
    SCOPED_TRACE(path);
    Loaded l = Load(path);
    EXPECT_NE(l.status, 0);
    EXPECT_NE(l.error.find(path), std::string::npos) << l.error;
    EXPECT_EQ(l.image->GetPixels(), nullptr);
    // OpenImageIO's BMP reader notices the nonsense first.
    if (path.find("huge.b") == std::string::npos && path.find("/huge") != std::string::npos) {
      EXPECT_NE(l.error.find("limit"), std::string::npos) << l.error;
    }
  }

  // A failed load keeps the pixels in memory.
  auto image = Picture(dir.File("missing.png"), 3, 3);
  const std::vector<unsigned char> before = Bytes(*image);
  EXPECT_NE(Reload(*image).status, 0);
  EXPECT_EQ(Bytes(*image), before);
}

TEST(SafeSave, FailedSavesLeaveEverythingAsItWas) {
  TempDir dir;
  for (const std::string& ext : WritableTypes()) {
    WriteWholeFile(dir.File("full." + ext), "previous contents");
    ExpectFailedSave(dir, *Picture(dir.File("full." + ext), 300, 300), 0, 4096);
  }
  // The JPEG library would end the process on a side above 65500 pixels.
  KEPAtelIma wide(dir.File("full.jpg").c_str(), KEPAtelIma::STATE_IN_MEMORY, 0);
  ASSERT_EQ(wide.AllocatePixels(KEPAtelIma::kMaxSide, 1), 0);
  ExpectFailedSave(dir, wide);
  // A directory in the way, and a directory that does not exist (where a
  // free name does not help either).
  fs::create_directory(dir.File("taken.png"));
  ExpectFailedSave(dir, *Picture(dir.File("taken.png"), 4, 4));
  ExpectFailedSave(dir, *Picture(dir.File("nowhere/x.png"), 4, 4), 0);
  ExpectFailedSave(dir, *Picture(dir.File("nowhere/x.png"), 4, 4), 1);
  if (::geteuid() != 0) {  // permissions do not stop root
    fs::create_directory(dir.File("locked"));
    WriteWholeFile(dir.File("locked/a.png"), "old");
    fs::permissions(dir.File("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    ExpectFailedSave(dir, *Picture(dir.File("locked/a.png"), 4, 4));
    fs::permissions(dir.File("locked"), fs::perms::owner_all);
  }
}

TEST(SafeSave, OverwriteKeepsModeAndIncrementFindsAFreeName) {
  TempDir dir;
  auto image = Picture(dir.File("inc.png"), 4, 4);
  ASSERT_EQ(Save(*image, 1).status, 0);
  EXPECT_EQ(image->GetName(), dir.File("inc.png"));
  ::chmod(dir.File("inc.png").c_str(), 0640);
  ASSERT_EQ(Save(*image, 0).status, 0);  // overwrite
  EXPECT_EQ(image->GetName(), dir.File("inc.png"));
  struct stat info;
  ASSERT_EQ(::stat(dir.File("inc.png").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);

  image->ClearSaved();
  ASSERT_EQ(Save(*image, 1).status, 0);
  EXPECT_EQ(image->GetName(), dir.File("inc_1.png"));
  EXPECT_TRUE(image->IsSaved());
  image->SetName(dir.File("inc.png").c_str());
  ASSERT_EQ(Save(*image, 1).status, 0);
  EXPECT_EQ(image->GetName(), dir.File("inc_2.png"));
  EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"inc.png", "inc_1.png", "inc_2.png"}));
  image->UnloadPixels();
  EXPECT_FALSE(image->IsEditable());
  const Result back = Reload(*image);
  EXPECT_EQ(back.status, 0) << back.error;
  EXPECT_EQ(std::pair(back.width, back.height), std::pair(4, 4));
}

TEST(Formats, WhatIsOfferedIsWhatTheLibrariesDoAndCaseIsIgnored) {
  KEPListPtrKEPAtelImaFormat formats;
  KEPAtelIma::GetFormatList(formats);
  ASSERT_GT(formats.Size(), 0);
  for (int i = 1; i <= formats.Size(); ++i) {
    std::unique_ptr<KEPAtelImaFormat> f(formats[i]);
    const std::string ext = f->GetExtension();
    SCOPED_TRACE(ext);
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
  KEPAtelImaFormat upper("JPG");
  ASSERT_EQ(KEPAtelIma::GetFormatInfo(upper), 0);
  for (const char* no : {"series", "", "abc", "tif.gz"}) {
    EXPECT_FALSE(KEPAtelIma::CanReadFormat(no) || KEPAtelIma::CanWriteFormat(no)) << no;
    KEPAtelImaFormat unknown(no);
    EXPECT_NE(KEPAtelIma::GetFormatInfo(unknown), 0);
  }
  EXPECT_FALSE(KEPAtelIma::CanReadFormat(nullptr));
}
