#include "link/KEPAteloMessageFilter.h"

namespace {

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

KEPAteloMessageFilter::Action Echo(const std::string& text) {
  // A line of its own on the terminal, whether or not the renderer ended it.
  if (!text.empty() && text.back() == '\n') return {true, text};
  return {true, text + "\n"};
}

}  // namespace

bool KEPAteloMessageFilter::PassesEchoRule(const std::string& text, int echoLevel) {
  if (text.size() < 2) return false;
  if (echoLevel == 1) return true;
  if (echoLevel == 2)
    return Contains(text, "warn") || Contains(text, "error") || Contains(text, " Int ");
  return false;
}

std::vector<KEPAteloMessageFilter::Action> KEPAteloMessageFilter::Apply(const std::string& text,
                                                                        int mode, int echoLevel) {
  std::vector<Action> actions;
  if (mode == 2) {
    Condense(text, echoLevel, actions);
    return actions;
  }
  // Mode 1 keeps the window empty, except at echo level 2 where the
  // warnings and errors a user asked to watch are wanted in both places.
  if (mode != 1 || echoLevel == 2) actions.push_back({false, text});
  if (PassesEchoRule(text, echoLevel)) actions.push_back(Echo(text));
  return actions;
}

void KEPAteloMessageFilter::Condense(const std::string& text, int echoLevel,
                                     std::vector<Action>& actions) {
  if (Contains(text, "RC   0.0 progr: ")) {
    // Percentages would flood the window: only the start and the end of a
    // rendering are shown.
    if (_condensed && Contains(text, "RC   0.0 progr: rendering\n")) {
      _condensed = false;
      actions.push_back({false, "RC   0.0 progr: rendering in progress....\n"});
      if (echoLevel != 0) actions.push_back({true, "Rendering in Progress....\n"});
    } else if (Contains(text, "RC   0.0 progr: 100.0%")) {
      _condensed = true;
      actions.push_back({false, "RC   0.0 progr: rendering done\n"});
      if (echoLevel != 0) actions.push_back({true, "Rendering Done.\n"});
    }
    return;
  }
  if (Contains(text, "RC   0.0 info :") || Contains(text, "MI   0.0 info :") ||
      Contains(text, "SCEN 0.0 info :"))
    return;
  actions.push_back({false, text});
  if (!_condensed && Contains(text, "VIRD 0.0 end  : computation ended")) {
    _condensed = true;
    actions.push_back({false, "VIRD 0.0 end : rendering terminated\n"});
    if (echoLevel != 0) actions.push_back({true, "Rendering Finished.\n"});
  }
  if (PassesEchoRule(text, echoLevel)) actions.push_back(Echo(text));
}
