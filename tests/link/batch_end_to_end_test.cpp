// The workbench program in batch mode fed by the demo renderer: neither a
// renderer that dies half-way through a frame nor a flood of garbage stops
// it, the dead renderer is heard again when it comes back under its name,
// and the frames after them are saved exactly as sent. (The app tests
// check the same saving from an image file, without the garbage.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "atelo-render/KEPRenderPicture.h"
#include "link_support.h"
#include "support/TempDir.h"

TEST(BatchRun, SurvivesARendererKilledHalfWayAndGarbageThenSavesEveryFrameExactly) {
  const std::string bin = std::string(std::getenv("ATELO_BINARY_DIR")) + "/bin/";
  if (access((bin + "atelo").c_str(), X_OK) != 0) GTEST_SKIP() << "atelo is not in this build";
  TempDir home;
  std::filesystem::create_directory(home.File("out"));
  WriteWholeFile(home.File(".virda_atelo.env"), "DEF_PATH=" + home.File("out") + "/\n");
  auto env = QProcessEnvironment::systemEnvironment();
  env.insert("HOME", QString::fromStdString(home.Path()));
  QProcess workbench, doomed, renderer;
  auto start = [&](QProcess& process, const char* program, QStringList arguments) {
    process.setProcessEnvironment(env);
    if (&process != &workbench)
      arguments << "-id"
                << "DISP_BAT"
                << "--wait"
                << "20000"
                << "--quiet";
    process.start(QString::fromStdString(bin + program), arguments);
    ASSERT_TRUE(process.waitForStarted(10000));
  };
  workbench.setStandardOutputFile(QString::fromStdString(home.File("atelo.out")));
  start(workbench, "atelo", {"-b", "-id", "DISP_BAT"});
  start(doomed, "atelo-render",
        {"--name", "R_DOOMED", "--size", "256x256", "--patch", "8", "--delay", "5"});
  // Its entry appears just before it connects; then let it send a while.
  std::string entry = std::string(std::getenv("LNK_DIR")) + "/R_DOOMED";
  for (int i = 0; i < 400 && access(entry.c_str(), F_OK) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  doomed.kill();
  doomed.waitForFinished();

  KEPLink garbage;
  ASSERT_EQ(garbage.Init(std::getenv("LNK_DIR")), 0);
  ASSERT_EQ(garbage.Declare("R_GARBAG", "CONNEXIO"), 0);
  for (const auto& message : MalformedMessages(10000, 99)) {
    std::vector<KEPLinkPart> parts;
    for (const auto& part : message.parts) parts.push_back({part.data(), part.size()});
    ASSERT_EQ(garbage.Send("DISP_BAT", message.name.c_str(), parts.data(),
                           static_cast<int>(parts.size()), 20000),
              0);
  }
  start(renderer, "atelo-render",
        {"--name", "R_DOOMED", "--size", "40x30", "--first", "5", "--frames", "2", "--patch",
         "16x8", "--order", "random"});
  ASSERT_TRUE(renderer.waitForFinished(60000));
  EXPECT_EQ(renderer.exitCode(), 0);
  ASSERT_TRUE(workbench.waitForFinished(20000)) << "END_DISP ends a batch run";
  EXPECT_EQ(workbench.exitCode(), 4) << "the doomed renderer's frame was never saved";
  std::string out = ReadWholeFile(home.File("atelo.out"));
  for (int frame : {5, 6}) {
    std::string file = home.File("out/Untitled.000" + std::to_string(frame) + ".tif");
    EXPECT_NE(out.find("IMG  0.0 info : Image '" + file + "' saved\n"), std::string::npos) << out;
    KEPRenderPicture saved;
    std::string error;
    ASSERT_TRUE(KEPReadPicture(file, saved, error)) << error;
    EXPECT_EQ(std::make_pair(saved.width, saved.height), std::make_pair(40, 30));
    EXPECT_TRUE(saved.pixels == KEPGeneratePicture(40, 30, frame - 5, 2).pixels)
        << file << " differs from what was sent";
  }
}
