// Image files in the real program: a file that crashes its reader costs only
// itself, and nothing but a file starts the image service.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/AteloProcess.h"
#include "support/Picture.h"
#include "support/TempDir.h"

namespace {

std::string Corpus(const std::string& name) {
  return std::string(std::getenv("ATELO_TEST_SOURCE_DIR")) + "/tests/image/corpus/" + name;
}

// Position of the first line of `text` holding all of `parts`, npos if none.
std::size_t LineWith(const std::string& text, std::initializer_list<std::string> parts) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    bool all = true;
    for (const std::string& part : parts) all = all && line.find(part) != std::string::npos;
    if (all) return at;
    at = end + 1;
  }
  return std::string::npos;
}

}  // namespace

TEST(ImageFilesInTheWorkbench, AFileThatCrashesItsReaderIsAnErrorAndTheOthersStay) {
  TempDir dir;
  WritePicture(dir.File("one.png"), 8, 6);
  WritePicture(dir.File("two.tif"), 8, 6);
  std::filesystem::copy_file(Corpus("crashers/overrun-1x1.pic"), dir.File("bad.pic"));
  AteloProcess atelo(dir.Path());
  atelo.Environment().insert("ATELO_TRACE", "4");
  // Opened from the file box, the file is read at once to be shown.
  ASSERT_TRUE(atelo.Run(
      {"one.png", "two.tif"},
      {"files *.pic " + dir.File("bad.pic"), "trigger openItem", "log opened", "trigger exitItem"},
      60000))
      << atelo.Log();
  EXPECT_FALSE(atelo.Crashed()) << atelo.Err();
  EXPECT_EQ(atelo.ExitCode(), 0) << atelo.Err();
  const std::string log = atelo.Log();
  EXPECT_NE(LineWith(log, {"ask warnDlg", "Can't read image file '" + dir.File("bad.pic") + "'",
                           "crashed on it"}),
            std::string::npos)
      << log;
  // The good images are still in the series when the program ends: they
  // are released only after Exit.
  const std::string trace = atelo.Err();
  const std::size_t quit = LineWith(trace, {"(KEPAteloDocument::QuitAction)"});
  ASSERT_NE(quit, std::string::npos) << trace;
  for (const char* name : {"one.png", "two.tif"})
    EXPECT_NE(LineWith(trace.substr(quit), {"(KEPAtelIma::~KEPAtelIma)", dir.File(name)}),
              std::string::npos)
        << name;
  EXPECT_EQ(LineWith(trace.substr(quit), {"(KEPAtelIma::~KEPAtelIma)", dir.File("bad.pic")}),
            std::string::npos);
}

TEST(ImageFilesInTheWorkbench, OnlyAFileStartsTheImageService) {
  TempDir dir;
  WritePicture(dir.File("one.png"), 8, 6);
  // A service that notes each start before becoming the real one.
  const std::string wrapper = dir.File("imaged.sh");
  {
    std::ofstream out(wrapper);
    out << "#!/bin/sh\necho started >> '" << dir.File("starts") << "'\nexec '"
        << AteloProcess::Program("atelo-imaged") << "' \"$@\"\n";
  }
  std::filesystem::permissions(wrapper, std::filesystem::perms::owner_all);
  AteloProcess atelo(dir.Path());
  atelo.Environment().insert("ATELO_IMAGED", QString::fromStdString(wrapper));
  // The file box's type lists come from the workbench's own table.
  ASSERT_TRUE(atelo.Run({}, {"cancel", "trigger openItem", "trigger exitItem"}, 30000));
  EXPECT_EQ(atelo.ExitCode(), 0) << atelo.Err();
  EXPECT_FALSE(std::filesystem::exists(dir.File("starts")));
  ASSERT_TRUE(atelo.Run({"one.png"}, {"trigger exitItem"}, 60000));
  EXPECT_EQ(atelo.ExitCode(), 0) << atelo.Err();
  EXPECT_EQ(ReadWholeFile(dir.File("starts")), "started\n");
}
