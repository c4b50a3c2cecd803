#include <OpenImageIO/imageio.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <QImageReader>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// A width x height image whose pixels all differ, with varied alpha; the
// blue channel is noise unless the picture must survive a lossy type.
std::unique_ptr<KEPAtelIma> Picture(const std::string& name, int width, int height,
                                    bool smooth = false) {
  auto image = std::make_unique<KEPAtelIma>(name.c_str(), KEPAtelIma::STATE_IN_MEMORY, 0);
  EXPECT_EQ(image->AllocatePixels(width, height), 0);
  unsigned char* p = image->GetPixels();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x, p += 4) {
      p[0] = static_cast<unsigned char>(x * 255 / std::max(1, width - 1));
      p[1] = static_cast<unsigned char>(y * 255 / std::max(1, height - 1));
      p[2] = smooth ? static_cast<unsigned char>((x + y) * 255 / std::max(1, width + height - 2))
                    : static_cast<unsigned char>((x * 31 + y * 17) & 0xFF);
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

struct Loaded {
  int status = -1, width = 0, height = 0;
  std::string error;
  std::unique_ptr<KEPAtelIma> image;
};

Loaded Load(const std::string& path) {
  Loaded result;
  result.image = std::make_unique<KEPAtelIma>(path.c_str(), KEPAtelIma::STATE_FROM_FILE, 0);
  char errtext[KEP_ERRMSG_SIZE] = {0};
  result.status = result.image->LoadPixels(result.width, result.height, errtext);
  result.error = errtext;
  return result;
}

// Writes a file through OpenImageIO directly, top row first as files keep it.
void WriteWithOiio(const std::string& path, int width, int height, int channels,
                   OIIO::TypeDesc type, const void* data) {
  auto out = OIIO::ImageOutput::create(path);
  ASSERT_TRUE(out);
  OIIO::ImageSpec spec(width, height, channels, type);
  if (channels == 2 || channels == 4) {
    spec.alpha_channel = channels - 1;
    spec.attribute("oiio:UnassociatedAlpha", 1);
  }
  ASSERT_TRUE(out->open(path, spec)) << out->geterror();
  ASSERT_TRUE(out->write_image(type, data));
  ASSERT_TRUE(out->close());
}

}  // namespace

TEST(ImageFile, TopRowOfTheFileIsTheLastRowOfTheBuffer) {
  TempDir dir;
  // Row y of the buffer is grey level 40 * y; the bottom row is black.
  KEPAtelIma image(dir.File("rows.png").c_str(), KEPAtelIma::STATE_IN_MEMORY, 0);
  ASSERT_EQ(image.AllocatePixels(3, 4), 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 3; ++x) {
      unsigned char* p = image.GetPixels() + (y * 3 + x) * 4;
      p[0] = p[1] = p[2] = static_cast<unsigned char>(40 * y);
      p[3] = 255;
    }
  char errtext[KEP_ERRMSG_SIZE] = {0};
  ASSERT_EQ(image.SaveImage(0, errtext, 0), 0) << errtext;

  QImage qt(QString::fromStdString(dir.File("rows.png")));
  ASSERT_FALSE(qt.isNull());
  EXPECT_EQ(qGray(qt.pixel(0, 0)), 120);  // Qt's top row
  EXPECT_EQ(qGray(qt.pixel(0, 3)), 0);

  auto in = OIIO::ImageInput::open(dir.File("rows.png"));
  ASSERT_TRUE(in);
  std::vector<unsigned char> oiio(3 * 4 * in->spec().nchannels);
  ASSERT_TRUE(in->read_image(0, 0, 0, in->spec().nchannels, OIIO::TypeDesc::UINT8, oiio.data()));
  EXPECT_EQ(oiio[0], 120);  // OpenImageIO's first scanline
  EXPECT_EQ(oiio.back(), 255);

  // And the other way: a file whose top row is red loads with red last.
  const unsigned char topRed[] = {255, 0, 0, 0, 0, 255};  // 1 x 2, RGB, top first
  WriteWithOiio(dir.File("red.tif"), 1, 2, 3, OIIO::TypeDesc::UINT8, topRed);
  Loaded loaded = Load(dir.File("red.tif"));
  ASSERT_EQ(loaded.status, 0) << loaded.error;
  const unsigned char* p = loaded.image->GetPixels();
  EXPECT_EQ(p[4 + 0], 255);  // row 1 of 2 is the top
  EXPECT_EQ(p[0 + 2], 255);  // row 0 is the blue bottom
  EXPECT_EQ(p[3], 255);      // no alpha in the file: opaque
}

// What survives a round trip in each writable type: whether alpha is kept
// and the largest difference allowed per byte.
struct Fidelity {
  bool alpha;
  bool grey;
  int tolerance;
};

const std::map<std::string, Fidelity>& Expected() {
  static const std::map<std::string, Fidelity> table = {
      {"tif", {true, false, 0}},   {"tiff", {true, false, 0}},   {"rgb", {true, false, 0}},
      {"rgba", {true, false, 0}},  {"sgi", {true, false, 0}},    {"png", {true, false, 0}},
      {"tga", {true, false, 0}},   {"rla", {true, false, 0}},    {"exr", {true, false, 0}},
      {"bmp", {true, false, 0}},   {"iff", {true, false, 0}},    {"dpx", {true, false, 0}},
      {"ppm", {false, false, 0}},  {"pgm", {false, true, 0}},    {"xpm", {false, false, 0}},
      {"jpg", {false, false, 12}}, {"jpeg", {false, false, 12}}, {"hdr", {false, false, 3}},
  };
  return table;
}

TEST(ImageFile, EveryWritableTypeRoundTrips) {
  TempDir dir;
  KEPListPtrKEPAtelImaFormat formats;
  KEPAtelIma::GetFormatList(formats);
  int tried = 0;
  for (int i = 1; i <= formats.Size(); ++i) {
    std::unique_ptr<KEPAtelImaFormat> format(formats[i]);
    if (!format->IsWritable()) continue;
    const std::string ext = format->GetExtension();
    SCOPED_TRACE(ext);
    auto found = Expected().find(ext);
    ASSERT_NE(found, Expected().end()) << "a writable type without a round-trip expectation";
    const Fidelity fidelity = found->second;
    ASSERT_TRUE(format->IsReadable());

    auto image = Picture(dir.File("rt." + ext), 37, 23, fidelity.tolerance > 0);
    unsigned char* p = image->GetPixels();
    for (std::size_t k = 0; k < image->GetMemorySize(); k += 4) {
      if (fidelity.grey) p[k + 1] = p[k + 2] = p[k];
      if (!fidelity.alpha) p[k + 3] = 255;
    }
    char errtext[KEP_ERRMSG_SIZE] = {0};
    ASSERT_EQ(image->SaveImage(0, errtext, 0), 0) << errtext;
    EXPECT_TRUE(image->IsSaved());

    Loaded back = Load(dir.File("rt." + ext));
    ASSERT_EQ(back.status, 0) << back.error;
    ASSERT_EQ(back.width, 37);
    ASSERT_EQ(back.height, 23);
    const unsigned char* q = back.image->GetPixels();
    int worst = 0;
    for (std::size_t k = 0; k < image->GetMemorySize(); ++k)
      worst = std::max(worst, std::abs(int{p[k]} - int{q[k]}));
    EXPECT_LE(worst, fidelity.tolerance);
    ++tried;
  }
  formats.RemoveAll();
  EXPECT_GE(tried, 12);
}

TEST(ImageFile, XpmKeepsFullTransparency) {
  TempDir dir;
  auto image = Picture(dir.File("t.xpm"), 5, 4);
  for (std::size_t k = 0; k < image->GetMemorySize(); k += 4)
    image->GetPixels()[k + 3] = (k / 4) % 3 ? 255 : 0;
  char errtext[KEP_ERRMSG_SIZE] = {0};
  ASSERT_EQ(image->SaveImage(0, errtext, 0), 0) << errtext;
  Loaded back = Load(dir.File("t.xpm"));
  ASSERT_EQ(back.status, 0) << back.error;
  for (std::size_t k = 0; k < image->GetMemorySize(); k += 4) {
    ASSERT_EQ(back.image->GetPixels()[k + 3], image->GetPixels()[k + 3]) << k;
    if (image->GetPixels()[k + 3]) {
      ASSERT_EQ(std::memcmp(back.image->GetPixels() + k, image->GetPixels() + k, 4), 0);
    }
  }
}

TEST(ImageFile, DeepAndFewChannelFilesLoadIntoFourBytes) {
  TempDir dir;
  // 16-bit grey: one channel goes to red, green and blue with opaque alpha.
  const std::uint16_t grey16[] = {0, 65535, 32768, 257};
  WriteWithOiio(dir.File("g16.png"), 2, 2, 1, OIIO::TypeDesc::UINT16, grey16);
  Loaded g = Load(dir.File("g16.png"));
  ASSERT_EQ(g.status, 0) << g.error;
  const unsigned char* p = g.image->GetPixels();
  // File rows (0, 65535) top, (32768, 257) bottom; our row 0 is the bottom.
  const unsigned char expectGrey[] = {128, 1, 0, 255};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(p[i * 4], expectGrey[i]);
    EXPECT_EQ(p[i * 4 + 1], expectGrey[i]);
    EXPECT_EQ(p[i * 4 + 2], expectGrey[i]);
    EXPECT_EQ(p[i * 4 + 3], 255);
  }

  // Grey with alpha.
  const unsigned char greyAlpha[] = {10, 20, 30, 40};  // 2 x 1
  WriteWithOiio(dir.File("ga.png"), 2, 1, 2, OIIO::TypeDesc::UINT8, greyAlpha);
  Loaded ga = Load(dir.File("ga.png"));
  ASSERT_EQ(ga.status, 0) << ga.error;
  const unsigned char expectGa[] = {10, 10, 10, 20, 30, 30, 30, 40};
  EXPECT_EQ(std::memcmp(ga.image->GetPixels(), expectGa, 8), 0);

  // Float RGB: clamped to 0..1, then rounded to 8 bits.
  const float rgbF[] = {-0.5f, 0.5f, 2.0f, 0.25f, 1.0f, 0.0f};  // 2 x 1
  WriteWithOiio(dir.File("f.exr"), 2, 1, 3, OIIO::TypeDesc::FLOAT, rgbF);
  Loaded f = Load(dir.File("f.exr"));
  ASSERT_EQ(f.status, 0) << f.error;
  const unsigned char expectF[] = {0, 128, 255, 255, 64, 255, 0, 255};
  EXPECT_EQ(std::memcmp(f.image->GetPixels(), expectF, 8), 0);

  // 16-bit RGBA.
  const std::uint16_t rgba16[] = {65535, 0, 32896, 65535};  // 1 x 1
  WriteWithOiio(dir.File("c16.tif"), 1, 1, 4, OIIO::TypeDesc::UINT16, rgba16);
  Loaded c = Load(dir.File("c16.tif"));
  ASSERT_EQ(c.status, 0) << c.error;
  const unsigned char expectC[] = {255, 0, 128, 255};
  EXPECT_EQ(std::memcmp(c.image->GetPixels(), expectC, 4), 0);
}

TEST(ImageFile, UnknownTypesAndSeriesAreRefused) {
  TempDir dir;
  WriteWholeFile(dir.File("list.series"), "/tmp/a.tif\n");
  for (const char* name : {"list.series", "picture.abc"}) {
    KEPAtelIma image(dir.File(name).c_str(), KEPAtelIma::STATE_FROM_FILE, 0);
    int w, h;
    char errtext[KEP_ERRMSG_SIZE] = {0};
    EXPECT_NE(image.LoadPixels(w, h, errtext), 0);
    const std::string ext = fs::path(name).extension().string().substr(1);
    EXPECT_EQ(std::string(errtext), "Image type '" + ext + "' not supported on open");
    ASSERT_EQ(image.AllocatePixels(2, 2), 0);
    EXPECT_NE(image.SaveImage(0, errtext, 0), 0);
    EXPECT_EQ(std::string(errtext), "Image type '" + ext + "' not supported on save");
  }
  EXPECT_EQ(ReadWholeFile(dir.File("list.series")), "/tmp/a.tif\n");
  // Read-only types refuse saving the same way.
  if (KEPAtelIma::CanReadFormat("pic")) {
    KEPAtelIma image(dir.File("x.pic").c_str(), KEPAtelIma::STATE_IN_MEMORY, 0);
    ASSERT_EQ(image.AllocatePixels(2, 2), 0);
    char errtext[KEP_ERRMSG_SIZE] = {0};
    EXPECT_NE(image.SaveImage(0, errtext, 0), 0);
    EXPECT_STREQ(errtext, "Image type 'pic' not supported on save");
  }
}

TEST(ImageFile, NameWithoutExtensionIsWrittenAsStandardTiff) {
  TempDir dir;
  auto image = Picture(dir.File("plain"), 4, 3);
  image->SetTiffVariant("TIFF");
  char errtext[KEP_ERRMSG_SIZE] = {0};
  ASSERT_EQ(image->SaveImage(0, errtext, 0), 0) << errtext;
  auto in = OIIO::ImageInput::open(dir.File("plain"));
  ASSERT_TRUE(in);
  EXPECT_STREQ(in->format_name(), "tiff");
  Loaded back = Load(dir.File("plain"));
  ASSERT_EQ(back.status, 0) << back.error;
  EXPECT_EQ(std::memcmp(back.image->GetPixels(), image->GetPixels(), image->GetMemorySize()), 0);
}

TEST(ImageFile, BadFilesAreRefusedWithAClearText) {
  TempDir dir;
  // Good files to cut short, of several types.
  std::vector<std::string> truncated;
  for (const char* ext : {"png", "tif", "jpg", "bmp", "ppm", "tga", "exr", "sgi", "xpm", "rla"}) {
    auto image = Picture(dir.File(std::string("good.") + ext), 64, 64);
    char errtext[KEP_ERRMSG_SIZE] = {0};
    ASSERT_EQ(image->SaveImage(0, errtext, 0), 0) << errtext;
    const std::string all = ReadWholeFile(dir.File(std::string("good.") + ext));
    const std::string cut = dir.File(std::string("cut.") + ext);
    WriteWholeFile(cut, all.substr(0, all.size() / 2));
    truncated.push_back(cut);
  }
  for (const std::string& path : truncated) {
    SCOPED_TRACE(path);
    Loaded l = Load(path);
    EXPECT_NE(l.status, 0);
    EXPECT_NE(l.error.find(path), std::string::npos) << l.error;
    EXPECT_EQ(l.image->GetPixels(), nullptr);
  }

  WriteWholeFile(dir.File("noise.png"), std::string(300, '\x5a'));
  WriteWholeFile(dir.File("noise.tif"), "II*\0garbage garbage garbage");
  WriteWholeFile(dir.File("empty.jpg"), "");
  fs::create_directory(dir.File("folder.png"));
  for (const char* name : {"noise.png", "noise.tif", "empty.jpg", "folder.png", "missing.png"}) {
    SCOPED_TRACE(name);
    Loaded l = Load(dir.File(name));
    EXPECT_NE(l.status, 0);
    EXPECT_NE(l.error.find(dir.File(name)), std::string::npos) << l.error;
  }

  // Headers that claim absurd sizes are refused before any allocation.
  std::string bmp(54, '\0');
  auto put32 = [&bmp](int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  bmp[0] = 'B', bmp[1] = 'M';
  put32(2, 54 + 16);
  put32(10, 54);
  put32(14, 40);
  put32(18, 100000);
  put32(22, 100000);
  bmp[26] = 1, bmp[28] = 24;
  WriteWholeFile(dir.File("huge.bmp"), bmp + std::string(16, '\0'));
  WriteWholeFile(dir.File("huge.ppm"), "P6\n100000 100000\n255\n" + std::string(64, '\0'));
  WriteWholeFile(dir.File("wide.ppm"), "P6\n70000 2\n255\n" + std::string(64, '\0'));
  WriteWholeFile(dir.File("many.pgm"), "P5\n60000 60000\n255\n" + std::string(64, '\0'));
  WriteWholeFile(dir.File("huge.xpm"),
                 "/* XPM */\nstatic char* x[] = {\n\"100000 100000 1 1\",\n\"a c #ff0000\",\n"
                 "\"aaaa\"};\n");
  for (const char* name : {"huge.bmp", "huge.ppm", "wide.ppm", "many.pgm", "huge.xpm"}) {
    SCOPED_TRACE(name);
    Loaded l = Load(dir.File(name));
    EXPECT_NE(l.status, 0);
    EXPECT_NE(l.error.find(dir.File(name)), std::string::npos) << l.error;
    // The library may notice the nonsense first; either way no pixels.
    if (std::string(name) != "huge.bmp") {
      EXPECT_NE(l.error.find("limit"), std::string::npos) << l.error;
    }
  }
}

TEST(ImageFile, FailedLoadKeepsThePixelsInMemory) {
  TempDir dir;
  auto image = Picture(dir.File("keep.png"), 3, 3);
  const std::vector<unsigned char> before(image->GetPixels(),
                                          image->GetPixels() + image->GetMemorySize());
  int w = -1, h = -1;
  char errtext[KEP_ERRMSG_SIZE] = {0};
  EXPECT_NE(image->LoadPixels(w, h, errtext), 0);  // no file yet
  ASSERT_NE(image->GetPixels(), nullptr);
  EXPECT_EQ(std::memcmp(image->GetPixels(), before.data(), before.size()), 0);
  EXPECT_FALSE(image->IsSaved());

  ASSERT_EQ(image->SaveImage(0, errtext, 0), 0) << errtext;
  image->UnloadPixels();
  EXPECT_EQ(image->GetPixels(), nullptr);
  EXPECT_FALSE(image->IsEditable());
  ASSERT_EQ(image->LoadPixels(w, h, errtext), 0) << errtext;
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 3);
  EXPECT_EQ(std::memcmp(image->GetPixels(), before.data(), before.size()), 0);
}

TEST(SafeSave, AWriteThatFailsMidwayKeepsTheOldFile) {
  TempDir dir;
  // A file size limit makes every writer fail part way, as a full disk would.
  struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
      ::getrlimit(RLIMIT_FSIZE, &saved);
      oldHandler = ::signal(SIGXFSZ, SIG_IGN);
      rlimit limit = saved;
      limit.rlim_cur = bytes;
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
      ::setrlimit(RLIMIT_FSIZE, &saved);
      ::signal(SIGXFSZ, oldHandler);
    }
    rlimit saved;
    sighandler_t oldHandler;
  };
  KEPListPtrKEPAtelImaFormat formats;
  KEPAtelIma::GetFormatList(formats);
  for (int i = 1; i <= formats.Size(); ++i) {
    std::unique_ptr<KEPAtelImaFormat> format(formats[i]);
    if (!format->IsWritable()) continue;
    const std::string name = dir.File("full." + format->GetExtension());
    SCOPED_TRACE(name);
    WriteWholeFile(name, "previous contents");
    auto image = Picture(name, 300, 300);
    char errtext[KEP_ERRMSG_SIZE] = {0};
    int status;
    {
      FileSizeLimit limit(4096);
      status = image->SaveImage(0, errtext, 0);
    }
    EXPECT_NE(status, 0);
    EXPECT_NE(std::string(errtext).find(dir.Path()), std::string::npos) << errtext;
    EXPECT_EQ(ReadWholeFile(name), "previous contents");
    EXPECT_FALSE(image->IsSaved());
    EXPECT_EQ(image->GetName(), name);
    std::filesystem::remove(name);
    EXPECT_TRUE(FilesIn(dir.Path()).empty()) << "temporary file left behind";
  }
  formats.RemoveAll();
}

TEST(SafeSave, FailuresLeaveTheOldFileAndTheRecordAsTheyWere) {
  TempDir dir;
  // The JPEG library would end the process on a side above 65500 pixels:
  // such a save must be refused with a text instead.
  WriteWholeFile(dir.File("old.jpg"), "previous contents");
  KEPAtelIma wide(dir.File("old.jpg").c_str(), KEPAtelIma::STATE_IN_MEMORY, 0);
  ASSERT_EQ(wide.AllocatePixels(KEPAtelIma::kMaxSide, 1), 0);
  char errtext[KEP_ERRMSG_SIZE] = {0};
  EXPECT_NE(wide.SaveImage(0, errtext, 0), 0);
  EXPECT_NE(std::string(errtext).find("old.jpg"), std::string::npos) << errtext;
  EXPECT_EQ(ReadWholeFile(dir.File("old.jpg")), "previous contents");
  EXPECT_FALSE(wide.IsSaved());
  EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"old.jpg"});

  // A target that is a directory.
  fs::create_directory(dir.File("taken.png"));
  auto image = Picture(dir.File("taken.png"), 4, 4);
  errtext[0] = 0;
  EXPECT_NE(image->SaveImage(0, errtext, 0), 0);
  EXPECT_NE(errtext[0], 0);
  EXPECT_EQ(image->GetName(), dir.File("taken.png"));
  EXPECT_FALSE(image->IsSaved());
  EXPECT_TRUE(fs::is_directory(dir.File("taken.png")));

  // A directory that does not exist.
  image->SetName(dir.File("nowhere/x.png").c_str());
  errtext[0] = 0;
  EXPECT_NE(image->SaveImage(1, errtext, 0), 0);
  EXPECT_NE(errtext[0], 0);
  EXPECT_EQ(image->GetName(), dir.File("nowhere/x.png"));
  EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"old.jpg", "taken.png"}));

  // A directory we may not write to (only meaningful when not root).
  if (::geteuid() != 0) {
    fs::create_directory(dir.File("locked"));
    WriteWholeFile(dir.File("locked/a.png"), "old");
    fs::permissions(dir.File("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    image->SetName(dir.File("locked/a.png").c_str());
    EXPECT_NE(image->SaveImage(0, errtext, 0), 0);
    EXPECT_EQ(ReadWholeFile(dir.File("locked/a.png")), "old");
    fs::permissions(dir.File("locked"), fs::perms::owner_all);
  }
}

TEST(SafeSave, OverwriteKeepsModeAndIncrementFindsAFreeName) {
  TempDir dir;
  auto image = Picture(dir.File("inc.png"), 4, 4);
  char errtext[KEP_ERRMSG_SIZE] = {0};
  ASSERT_EQ(image->SaveImage(1, errtext, 0), 0) << errtext;
  EXPECT_EQ(image->GetName(), dir.File("inc.png"));
  ::chmod(dir.File("inc.png").c_str(), 0640);

  image->ClearSaved();
  ASSERT_EQ(image->SaveImage(0, errtext, 0), 0) << errtext;  // overwrite
  EXPECT_EQ(image->GetName(), dir.File("inc.png"));
  struct stat info;
  ASSERT_EQ(::stat(dir.File("inc.png").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);

  image->ClearSaved();
  ASSERT_EQ(image->SaveImage(1, errtext, 0), 0) << errtext;
  EXPECT_EQ(image->GetName(), dir.File("inc_1.png"));
  EXPECT_TRUE(image->IsSaved());
  image->SetName(dir.File("inc.png").c_str());
  ASSERT_EQ(image->SaveImage(1, errtext, 0), 0) << errtext;
  EXPECT_EQ(image->GetName(), dir.File("inc_2.png"));
  EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"inc.png", "inc_1.png", "inc_2.png"}));
  EXPECT_EQ(Load(dir.File("inc_2.png")).status, 0);
}
