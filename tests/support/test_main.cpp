// Shared main of the test programs: one offscreen QApplication for widget
// tests, the scripted prompt handler, and a private HOME and link directory
// so that no test reads or writes the user's files.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

std::shared_ptr<ScriptedPrompt> SharedPromptForMain();

namespace {
class ResetPrompt : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { Prompt().Clear(); }
};
}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  TempDir home;
  setenv("HOME", home.Path().c_str(), 1);
  setenv("PWD", home.Path().c_str(), 1);
  setenv("LNK_DIR", home.File("lnk").c_str(), 1);
  unsetenv("XDG_RUNTIME_DIR");

  QApplication app(argc, argv);
  KEPPrompt::SetHandler(SharedPromptForMain());
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new ResetPrompt);
  int result = RUN_ALL_TESTS();
  KEPPrompt::SetHandler(nullptr);
  return result;
}
