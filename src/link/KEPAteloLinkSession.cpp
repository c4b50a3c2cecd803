#include "link/KEPAteloLinkSession.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "link/KEPAteloBridge.h"
#include "link/KEPAteloLinkState.h"
#include "link/rikcb.h"
#include "platform/KEPTrace.h"
#include "platform/link/lnk.h"

namespace {

// The host design process, which times out a workbench that stays silent.
constexpr const char* kHost = "VIRDA   ";

void SendIfAlive(const char* process, const char* message, const void* body, int length) {
  int pid = 0, value = 0, status = 0;
  lnkcall(process, pid, value, status);
  if (status != 0) return;
  int id = 0, reserved = 0;
  lnksnd(process, message, body, length, id, reserved, status);
  if (status != 0) KEP_TRACE(6, "(KEPAteloLink) '%s' to '%s': status %d", message, process, status);
}

}  // namespace

int KEPAteloLinkInit(const char* title) {
  int value = 0, status = 0;
  lnkini(value, status);
  if (status == 1)
    std::printf("%s: Couldn't initialize LNK environment (Father communicate)\n", title);
  else if (status == 2)
    std::printf("%s: Couldn't initialize LNK environment (No father)\n", title);
  else if (status != 0)
    std::printf("%s: Couldn't initialize LNK environment (error=%d)\n", title, status);
  std::fflush(stdout);
  return status;
}

int KEPAteloLinkDeclare(const char* windowId, KEPAteloRenderTarget* target) {
  InitKEPAtelo(target);
  struct {
    const char* message;
    int (*callback)();
  } const callbacks[] = {{"INITDISP", rikcbini}, {"CONNEXIO", rikcbcnx}, {"NEWIMAGE", rikcbnew},
                         {"DISPLAY ", rikcbdis}, {"MESSAGE ", rikcbmes}, {"PATH    ", rikcbpat},
                         {"END_DISP", rikcbend}};
  int status = 0;
  for (const auto& entry : callbacks) {
    lnkopr(entry.message, entry.callback, status);
    if (status != 0) KEP_TRACE(6, "(KEPAteloLink) lnkopr '%s': status %d", entry.message, status);
  }
  int value = 0;
  lnkgdec(windowId, value, "CONNEXIO", status);
  const int declared = status;
  if (declared != 0) KEP_TRACE(6, "(KEPAteloLink) lnkgdec '%s': status %d", windowId, declared);
  SendIfAlive(kHost, "TMOUTOFF", "TMOF", 4);
  return declared;
}

int KEPAteloStartLink(const char* title, const char* windowId, KEPAteloRenderTarget* target) {
  int status = KEPAteloLinkInit(title);
  KEPAteloLinkDeclare(windowId, target);
  return status;
}

bool KEPAteloParentGone() {
  KEPAteloLinkState& state = KEPAteloLinkState::Instance();
  char parent[9];
  rikidray(parent);
  if (std::strncmp(parent, "LNK_0000", 8) == 0) return false;
  int pid = 0, value = 0, status = 0;
  lnkcall(parent, pid, value, status);
  if (status == 0) {
    state.SetParentSeenAlive();
    return false;
  }
  return state.WasParentSeenAlive();
}

void KEPAteloFillEndBody(unsigned char (&body)[28]) {
  std::memset(body, ' ', sizeof body);
  std::memcpy(body, "raycbend", 8);
  std::memcpy(body + 8, "ATV", 3);
  std::memcpy(body + 16, "KEPCOM", 6);
  std::int32_t zero = 0;
  std::memcpy(body + 24, &zero, 4);
}

void KEPAteloLinkQuit() {
  char parent[9];
  rikidray(parent);
  unsigned char body[28];
  KEPAteloFillEndBody(body);
  SendIfAlive(parent, "raycbend", body, sizeof body);
  SendIfAlive(kHost, "TMOUTON ", "TMON", 4);
}
