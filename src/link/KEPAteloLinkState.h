#pragma once

#include <optional>

#include "link/KEPAteloMessageFilter.h"

// What the link callbacks remember between messages, once for the process:
// the parent (the process that currently feeds the workbench), the debug
// switch, the echo level and the message filter's condensed-progress flag.
class KEPAteloLinkState {
 public:
  static KEPAteloLinkState& Instance();

  // 8 characters and a terminator; "LNK_0000" until a process connects.
  const char* GetParent() const { return _parent; }
  // A new parent has not been seen alive on the link yet.
  void SetParent(const char* name);
  // Whether the parent had a live entry on the link at some look.
  bool WasParentSeenAlive() const { return _parentSeenAlive; }
  void SetParentSeenAlive() { _parentSeenAlive = true; }

  // A file "rikdbg" in the home directory, looked for once.
  bool IsDebugOn();
  // atoi of ATV_MI_MSG, 0 when absent; read once.
  int GetEchoLevel();

  KEPAteloMessageFilter& GetFilter() { return _filter; }

  // Back to the state of a fresh process; the switches are read again on
  // their next use.
  void Reset();

 private:
  KEPAteloLinkState();
  char _parent[9];
  bool _parentSeenAlive = false;
  std::optional<bool> _debug;
  std::optional<int> _echoLevel;
  KEPAteloMessageFilter _filter;
};
