#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/KEPAteloMessageFilter.h"

namespace {

using Action = KEPAteloMessageFilter::Action;

std::string Show(const std::vector<Action>& actions) {
  std::string text;
  for (const auto& action : actions) text += (action.echo ? "E:" : "F:") + action.text + "|";
  return text;
}

struct Case {
  int mode, level;
  const char* text;
  const char* expected;
};

}  // namespace

TEST(MessageFilter, ModesAllAndNoneFollowTheEchoLevel) {
  const Case cases[] = {
      {0, 0, "hello\n", "F:hello\n|"},
      {0, 0, "an error\n", "F:an error\n|"},
      {0, 1, "hello", "F:hello|E:hello\n|"},
      {0, 1, "x", "F:x|"},
      {0, 1, "x\n", "F:x\n|E:x\n|"},
      {0, 2, "plain\n", "F:plain\n|"},
      {0, 2, "a warning\n", "F:a warning\n|E:a warning\n|"},
      {0, 2, "an error", "F:an error|E:an error\n|"},
      {0, 2, "KEP 0.0 Int  : stop\n", "F:KEP 0.0 Int  : stop\n|E:KEP 0.0 Int  : stop\n|"},
      {0, 2, "Interrupted\n", "F:Interrupted\n|"},
      {0, 3, "an error\n", "F:an error\n|"},
      {1, 0, "an error\n", ""},
      {1, 1, "hello\n", "E:hello\n|"},
      {1, 1, "x", ""},
      {1, 2, "plain\n", "F:plain\n|"},
      {1, 2, "a warning\n", "F:a warning\n|E:a warning\n|"},
      {1, 3, "a warning\n", ""},
  };
  for (const Case& c : cases) {
    KEPAteloMessageFilter filter;
    EXPECT_EQ(Show(filter.Apply(c.text, c.mode, c.level)), c.expected)
        << "mode " << c.mode << " level " << c.level << " text '" << c.text << "'";
  }
}

TEST(MessageFilter, CondensedModeShowsOnlyTheStartAndEndOfARendering) {
  KEPAteloMessageFilter filter;
  auto apply = [&](const char* text, int level = 1) { return Show(filter.Apply(text, 2, level)); };
  EXPECT_EQ(apply("RC   0.0 info : scene read\n"), "");
  EXPECT_EQ(apply("MI   0.0 info : 3 lights\n"), "");
  EXPECT_EQ(apply("SCEN 0.0 info : loaded\n"), "");
  EXPECT_TRUE(filter.GetCondensedFlag());
  EXPECT_EQ(apply("RC   0.0 progr: rendering\n"),
            "F:RC   0.0 progr: rendering in progress....\n|E:Rendering in Progress....\n|");
  EXPECT_FALSE(filter.GetCondensedFlag());
  EXPECT_EQ(apply("RC   0.0 progr: rendering\n"), "") << "only once per rendering";
  EXPECT_EQ(apply("RC   0.0 progr:  42.0%\n"), "");
  EXPECT_EQ(apply("RC   0.0 progr: 100.0%\n"),
            "F:RC   0.0 progr: rendering done\n|E:Rendering Done.\n|");
  EXPECT_TRUE(filter.GetCondensedFlag());
  // Rendering already reported done: the end line is an ordinary message.
  EXPECT_EQ(apply("VIRD 0.0 end  : computation ended\n"),
            "F:VIRD 0.0 end  : computation ended\n|E:VIRD 0.0 end  : computation ended\n|");

  // Ended without a 100% line: the end is reported for it.
  apply("RC   0.0 progr: rendering\n");
  EXPECT_EQ(apply("VIRD 0.0 end  : computation ended\n"),
            "F:VIRD 0.0 end  : computation ended\n|F:VIRD 0.0 end : rendering terminated\n|"
            "E:Rendering Finished.\n|E:VIRD 0.0 end  : computation ended\n|");
  EXPECT_TRUE(filter.GetCondensedFlag());

  // Level 0 forwards the same but echoes nothing; level 2 echoes the
  // condensed lines and the warnings.
  EXPECT_EQ(apply("RC   0.0 progr: rendering\n", 0),
            "F:RC   0.0 progr: rendering in progress....\n|");
  EXPECT_EQ(apply("a warning\n", 2), "F:a warning\n|E:a warning\n|");
  EXPECT_EQ(apply("plain\n", 2), "F:plain\n|");
  EXPECT_EQ(apply("RC   0.0 progr: 100.0%\n", 2),
            "F:RC   0.0 progr: rendering done\n|E:Rendering Done.\n|");
}
