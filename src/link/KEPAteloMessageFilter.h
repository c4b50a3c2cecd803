#pragma once

#include <string>
#include <vector>

// Decides, for each renderer message, what reaches the Messages window
// (forwarded) and what is printed on standard output (echoed), from the
// document's message mode (0 all, 1 none, 2 condensed) and the echo level
// of ATV_MI_MSG. Knows nothing of where the texts go, so that the table of
// modes and levels can be checked on its own.
class KEPAteloMessageFilter {
 public:
  struct Action {
    bool echo;         // true: print on standard output; false: forward
    std::string text;  // echoes already end with a newline
  };

  // The actions for one message, in the order they are to be carried out.
  std::vector<Action> Apply(const std::string& text, int mode, int echoLevel);

  // Set while no rendering is reported as running (condensed mode).
  bool GetCondensedFlag() const { return _condensed; }
  void Reset() { _condensed = true; }

  // Level 1: every message of at least 2 characters; level 2: only those
  // that also contain "warn", "error" or " Int ".
  static bool PassesEchoRule(const std::string& text, int echoLevel);

 private:
  void Condense(const std::string& text, int echoLevel, std::vector<Action>& actions);
  bool _condensed = true;
};
