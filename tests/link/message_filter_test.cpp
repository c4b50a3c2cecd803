#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/KEPAteloMessageFilter.h"

namespace {

std::string Show(const std::vector<KEPAteloMessageFilter::Action>& actions) {
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

// One filter through two renderings, in order: the first ends with its 100%
// line, the second only with the end line. `mode` here is 1 where the
// condensed flag must be set afterwards.
TEST(MessageFilter, CondensedModeShowsOnlyTheStartAndEndOfARendering) {
  const char* start = "RC   0.0 progr: rendering\n";
  const char* done = "RC   0.0 progr: 100.0%\n";
  const char* ended = "VIRD 0.0 end  : computation ended\n";
  const Case steps[] = {
      {1, 1, "RC   0.0 info : scene read\n", ""},
      {1, 1, "MI   0.0 info : 3 lights\n", ""},
      {1, 1, "SCEN 0.0 info : loaded\n", ""},
      {0, 1, start, "F:RC   0.0 progr: rendering in progress....\n|E:Rendering in Progress....\n|"},
      {0, 1, start, ""},  // only once per rendering
      {0, 1, "RC   0.0 progr:  42.0%\n", ""},
      {1, 1, done, "F:RC   0.0 progr: rendering done\n|E:Rendering Done.\n|"},
      {1, 1, ended, "F:VIRD 0.0 end  : computation ended\n|E:VIRD 0.0 end  : computation ended\n|"},
      {0, 1, start, "F:RC   0.0 progr: rendering in progress....\n|E:Rendering in Progress....\n|"},
      {1, 1, ended,
       "F:VIRD 0.0 end  : computation ended\n|F:VIRD 0.0 end : rendering terminated\n|"
       "E:Rendering Finished.\n|E:VIRD 0.0 end  : computation ended\n|"},
      {0, 0, start, "F:RC   0.0 progr: rendering in progress....\n|"},
      {0, 2, "a warning\n", "F:a warning\n|E:a warning\n|"},
      {0, 2, "plain\n", "F:plain\n|"},
      {1, 2, done, "F:RC   0.0 progr: rendering done\n|E:Rendering Done.\n|"},
  };
  KEPAteloMessageFilter filter;
  for (const Case& step : steps) {
    SCOPED_TRACE(std::string("step ") + std::to_string(&step - steps) + ": " + step.text);
    EXPECT_EQ(Show(filter.Apply(step.text, 2, step.level)), step.expected);
    EXPECT_EQ(filter.GetCondensedFlag(), step.mode == 1) << "condensed flag afterwards";
  }
}
