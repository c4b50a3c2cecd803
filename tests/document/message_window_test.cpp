#include <gtest/gtest.h>

#include <QPushButton>

#include "document/KEPAteloMessage.h"
#include "effects/KEPAteloProgress.h"

namespace {

TEST(MessageWindow, PendingTextWaitsForItsNewline) {
  KEPAteloMessage window(nullptr);
  window.AddMessage("RC   0.0 progr: ");
  window.AddMessage("12.0%");
  EXPECT_EQ(window.GetText(), "");
  window.AddMessage(" done\n");
  window.AddMessage("second\n");
  window.AddMessage("\n");
  EXPECT_EQ(window.GetText(), "RC   0.0 progr: 12.0% done\nsecond\n");
  window.findChild<QPushButton*>("clearBtn")->click();
  EXPECT_EQ(window.GetText(), "");
}

TEST(ProgressWindow, InterruptSetsTheFlagAndHides) {
  KEPAteloProgress progress(nullptr);
  progress.Init(0, 10, 3);
  progress.StepIt();
  progress.StepIt();
  EXPECT_EQ(progress.GetValue(), 6);
  progress.StepIt();
  progress.StepIt();
  EXPECT_EQ(progress.GetValue(), 10);

  unsigned char flag = 0;
  progress.AssociateToFlag(&flag);
  progress.show();
  progress.findChild<QPushButton*>("okBtn")->click();
  EXPECT_EQ(flag, 1);
  EXPECT_FALSE(progress.isVisible());
}

}  // namespace
