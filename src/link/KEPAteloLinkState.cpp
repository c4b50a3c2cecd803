#include "link/KEPAteloLinkState.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

KEPAteloLinkState& KEPAteloLinkState::Instance() {
  static KEPAteloLinkState state;
  return state;
}

KEPAteloLinkState::KEPAteloLinkState() {
  Reset();
}

void KEPAteloLinkState::SetParent(const char* name) {
  std::memset(_parent, 0, sizeof _parent);
  if (name) std::strncpy(_parent, name, 8);
  _parentSeenAlive = false;
}

bool KEPAteloLinkState::IsDebugOn() {
  if (!_debug) {
    const char* home = std::getenv("HOME");
    _debug = home && access((std::string(home) + "/rikdbg").c_str(), F_OK) == 0;
  }
  return *_debug;
}

int KEPAteloLinkState::GetEchoLevel() {
  if (!_echoLevel) {
    const char* value = std::getenv("ATV_MI_MSG");
    _echoLevel = value ? std::atoi(value) : 0;
  }
  return *_echoLevel;
}

void KEPAteloLinkState::Reset() {
  SetParent("LNK_0000");
  _debug.reset();
  _echoLevel.reset();
  _filter.Reset();
}
