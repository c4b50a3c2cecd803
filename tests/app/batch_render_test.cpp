// The workbench in a batch run, fed by the demo renderer over a real link.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "support/AteloProcess.h"
#include "support/Picture.h"
#include "support/TempDir.h"

namespace {

// Byte offset of the first difference, -1 when none.
long FirstDifference(const unsigned char* a, const unsigned char* b, long size) {
  for (long i = 0; i < size; ++i)
    if (a[i] != b[i]) {
      ADD_FAILURE() << "byte " << i << " (pixel " << i / 4 << ", channel " << i % 4
                    << "): " << int(a[i]) << " instead of " << int(b[i]);
      return i;
    }
  return -1;
}

class BatchRender : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(dir.File("out"));
    WriteWholeFile(dir.File(".virda_atelo.env"), "DEF_PATH=" + dir.File("out") +
                                                     "\nDEF_NAME=frame\nDEF_TYPE=png\n"
                                                     "DEF_AUTOSAVE=NO\n");
    env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", QString::fromStdString(dir.Path()));
    env.insert("LNK_DIR", QString::fromStdString(dir.File("lnk")));
    env.remove("DISPLAY");
    env.remove("QT_QPA_PLATFORM");
  }

  // Starts `atelo -b` under `id` and waits until it is on the link.
  void StartWorkbench(const char* id) {
    workbench.setProcessEnvironment(env);
    workbench.start(QString::fromStdString(AteloProcess::Program("atelo")), {"-b", "-id", id});
    ASSERT_TRUE(workbench.waitForStarted(10000));
    for (int i = 0; i < 200 && !std::filesystem::exists(dir.File("lnk") + "/" + id); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(std::filesystem::exists(dir.File("lnk") + "/" + id));
  }

  // Starts the workbench under `id`, renders into it and returns the run's
  // exit status (-1 when END_DISP did not end it); `out` gets its output.
  int Run(const QString& id, const QStringList& args) {
    StartWorkbench(id.toLatin1().constData());
    EXPECT_EQ(Render(QStringList{"-id", id, "--quiet"} + args), 0);
    if (!workbench.waitForFinished(20000)) return -1;
    out = workbench.readAllStandardOutput();
    return workbench.exitCode();
  }

  int Render(QStringList args) {
    QProcess renderer;
    renderer.setProcessEnvironment(env);
    renderer.start(QString::fromStdString(AteloProcess::Program("atelo-render")), args);
    if (!renderer.waitForFinished(60000)) return -1;
    return renderer.exitCode();
  }

  TempDir dir;
  QProcessEnvironment env;
  QProcess workbench;
  QString out;
};

TEST_F(BatchRender, SavesEveryFrameWithExactlyThePixelsSent) {
  // A picture whose every pixel differs, alpha included.
  const int width = 97, height = 61;
  WritePicture(dir.File("source.png"), width, height, [](int x, int y, unsigned char* p) {
    const int i = y * width + x;
    p[0] = static_cast<unsigned char>(i), p[1] = static_cast<unsigned char>(i >> 8);
    p[2] = static_cast<unsigned char>(i * 7), p[3] = static_cast<unsigned char>(255 - i % 200);
  });
  const Picture source = ReadPicture(dir.File("source.png"));
  StartWorkbench("DISP_BAT");
  ASSERT_EQ(Render({"-id", "DISP_BAT", "--image", QString::fromStdString(dir.File("source.png")),
                    "--frames", "2", "--patch", "16x8", "--order", "random", "--quiet"}),
            0);
  ASSERT_TRUE(workbench.waitForFinished(20000));
  EXPECT_EQ(workbench.exitCode(), 0);
  std::string out = workbench.readAllStandardOutput().toStdString();
  for (const char* frame : {"frame.0001.png", "frame.0002.png"}) {
    std::string name = dir.File("out") + "/" + frame;
    EXPECT_NE(out.find("IMG  0.0 info : Image '" + name + "' saved\n"), std::string::npos) << out;
    const Picture saved = ReadPicture(name);
    ASSERT_EQ(saved.Size(), source.Size());
    EXPECT_EQ(FirstDifference(saved.pixels.data(), source.pixels.data(), width * height * 4), -1)
        << frame;
  }
}

TEST_F(BatchRender, FinishedPicturesKeepTheRunInBatchModeToItsEnd) {
  EXPECT_EQ(Run("DISP_C10", {"--config", "10", "--frames", "2", "--size", "16x8"}), 0);
  EXPECT_EQ(out.count(".png' saved\n"), 2) << out.toStdString();
}

TEST_F(BatchRender, RunsThatFailTheirJobEndWithTheirStatus) {
  const QString atelo = QString::fromStdString(AteloProcess::Program("atelo"));
  const QString missing = QString::fromStdString(dir.File("missing/x.png"));
  EXPECT_EQ(Run("DISP_NSV", {"--size", "8x8", "--file-name", missing}), 4);
  // Past the memory budget, two 16 MB frames fit and the next two are
  // refused, the run going on to its end.
  env.insert("ATELO_MEMORY_MB", "40");
  EXPECT_EQ(Run("DISP_MEM", {"--size", "2048x2048", "--frames", "4", "--no-pixels"}), 4);
  EXPECT_EQ(out.count("Can't allocate image data structure: 2048 x 2048 needs 16 MB and 32 of the "
                      "40 MB for images are in use. Save or close images, or raise "
                      "ATELO_MEMORY_MB\n"),
            2)
      << out.toStdString();
  // An identifier another run holds ends a run at once; so does a start file
  // that cannot be opened.
  StartWorkbench("DISP_TWO");
  QProcess second;
  second.setProcessEnvironment(env);
  second.start(atelo, {"-b", "-id", "DISP_TWO"});
  ASSERT_TRUE(second.waitForFinished(20000));
  EXPECT_EQ(second.exitCode(), 8);
  EXPECT_NE(second.readAllStandardError().indexOf("another live process"), -1);
  second.start(atelo, {"-b", "-id", "DISP_ONE", missing});
  ASSERT_TRUE(second.waitForFinished(20000));
  EXPECT_EQ(second.exitCode(), 2);
  // A window under that identifier works, and says why no renderer reaches it.
  AteloProcess window(dir.Path());
  window.Environment().insert("LNK_DIR", QString::fromStdString(dir.File("lnk")));
  ASSERT_TRUE(window.Run({"-id", "DISP_TWO"}, {"trigger exitItem"}, 20000));
  EXPECT_EQ(window.ExitCode(), 0);
  EXPECT_NE(window.Out().find("renderers cannot reach this window: another live process holds "
                              "the identifier 'DISP_TWO'"),
            std::string::npos)
      << window.Out();
  workbench.kill();
  workbench.waitForFinished();
}

TEST_F(BatchRender, ARunWhoseRendererIsKilledEndsOnceNoneTakesItsPlace) {
  env.insert("ATELO_RENDERER_GRACE", "1");
  StartWorkbench("DISP_KIL");
  QProcess renderer;
  renderer.setProcessEnvironment(env);
  renderer.start(QString::fromStdString(AteloProcess::Program("atelo-render")),
                 {"-id", "DISP_KIL", "--name", "R_KILLED", "--size", "200x200", "--patch", "8",
                  "--delay", "20", "--quiet"});
  ASSERT_TRUE(renderer.waitForStarted(10000));
  for (int i = 0; i < 200 && !std::filesystem::exists(dir.File("lnk/R_KILLED")); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // well into its frame
  renderer.kill();
  renderer.waitForFinished();
  ASSERT_TRUE(workbench.waitForFinished(20000)) << "the run waits for a renderer that is gone";
  EXPECT_EQ(workbench.exitCode(), 4 | 16);
  EXPECT_NE(workbench.readAllStandardOutput().indexOf(
                "NOT saved: still unfinished when the run ended !\n"),
            -1);
  EXPECT_NE(workbench.readAllStandardError().indexOf(
                "the renderer 'R_KILLED' is gone without ending the run"),
            -1);
}

TEST_F(BatchRender, ADefaultsFileThatIsAFifoIsRefusedWithoutHoldingUpTheRun) {
  std::filesystem::remove(dir.File(".virda_atelo.env"));
  ASSERT_EQ(mkfifo(dir.File(".virda_atelo.env").c_str(), 0600), 0);
  const QString file = QString::fromStdString(dir.File("fifo.png"));
  EXPECT_EQ(Run("DISP_FIF", {"--size", "8x8", "--file-name", file}), 0);
  EXPECT_NE(workbench.readAllStandardError().indexOf(".virda_atelo.env is a FIFO"), -1);
}

}  // namespace
