#include "link/rikcb.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "link/KEPAteloBridge.h"
#include "link/KEPAteloInterrupt.h"
#include "link/KEPAteloLinkState.h"
#include "link/KEPAteloRenderTarget.h"
#include "platform/link/lnk.h"

namespace {

KEPAteloLinkState& State() {
  return KEPAteloLinkState::Instance();
}

void Debug(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Debug(const char* format, ...) {
  if (!State().IsDebugOn()) return;
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
}

// Reads the rest of a message (one last part) into `bytes`: 0, or the
// callback's result.
int ReadLastPart(std::vector<unsigned char>& bytes) {
  int length = 0, status = 0;
  lnkrea(0, nullptr, length, status);
  if (status != LNK_LAST) return -2;
  try {
    bytes.resize(static_cast<std::size_t>(length));
  } catch (const std::bad_alloc&) {
    return -9;
  }
  // A buffer even for an empty part: a null buffer would only ask its length.
  unsigned char empty = 0;
  int received = 0;
  lnkrea(length, length > 0 ? bytes.data() : &empty, received, status);
  if (status != LNK_LAST || received != length) return -2;
  return 0;
}

// The MESSAGE and PATH text: one part of 1 to 256 bytes, terminated.
int ReadText(char (&text)[RIK_MAX_TEXT + 1], int& length) {
  int status = 0;
  lnkrea(RIK_MAX_TEXT, text, length, status);
  if (status == LNK_ERR_NO_PART || (status == LNK_LAST && length == 0)) return -4;
  if (status != LNK_LAST || length > RIK_MAX_TEXT) return -1;
  text[length] = '\0';
  return 0;
}

}  // namespace

int rikcbini() {
  std::int32_t head[3];
  int received = 0, status = 0;
  lnkrea(sizeof head, head, received, status);
  if (status != LNK_MORE || received != static_cast<int>(sizeof head)) return -1;
  int port = head[0], nodes = head[1], hosts = head[2];
  std::vector<unsigned char> names;
  if (int result = ReadLastPart(names)) return result;
  // The rest is exactly the hosts' names and, behind them, the nodes'.
  if (nodes < 0 || hosts < 0 ||
      std::int64_t{hosts} * 8 + std::int64_t{nodes} * 256 !=
          static_cast<std::int64_t>(names.size()))
    return -2;
  Debug("rikcbini: port %d, %d node(s), %d host(s)\n", port, nodes, hosts);
  for (int i = 0; i < hosts; ++i)
    Debug("rikcbini: host '%.8s'\n", reinterpret_cast<const char*>(names.data()) + i * 8);
  for (int i = 0; i < nodes; ++i)
    Debug("rikcbini: node '%.256s'\n",
          reinterpret_cast<const char*>(names.data()) + hosts * 8 + i * 256);
  std::int32_t answer = 0;
  int length = sizeof answer;
  lnkwri(&answer, length, status);
  if (status != 0) return -3;
  return InitRender() == 0 ? 0 : -100;
}

int rikcbcnx() {
  int reason = 0, value = 0, value2 = 0, value3 = 0;
  char process[9] = {0};
  lnkwhy(reason, value, process, value2, value3);
  Debug("rikcbcnx: reason %d from '%s'\n", reason, process);
  if (reason != LNK_REASON_CONNECT) return 0;
  char parent[9];
  rikidray(parent);
  // A parent that connects again is not taking over from itself.
  if (std::strncmp(parent, process, 8) != 0) {
    int pid = 0, status = 0;
    lnkcall(parent, pid, value, status);
    if (status == 0) {
      Debug("rikcbcnx: '%s' takes over from '%s'\n", process, parent);
      KEPAteloCreateInterruptFile();
      FinRender();
      lnkclo(parent);
    }
  }
  State().SetParent(process);
  return 0;
}

int rikcbnew() {
  std::int32_t head[5];
  int received = 0, status = 0;
  lnkrea(sizeof head, head, received, status);
  if (status < 0 || received != static_cast<int>(sizeof head)) return -1;
  int frame = head[0], width = head[1], height = head[2], code = head[3], length = head[4];
  int framePart = static_cast<unsigned>(code) >> 24;
  if (width < 0 || height < 0 || framePart > 16 || length < 0 || length > RIK_MAX_NAME) return -1;
  char name[RIK_MAX_NAME + 1];
  if (status == LNK_MORE) {
    lnkrea(RIK_MAX_NAME, name, received, status);
    if (status != LNK_LAST || received != length) return -2;
  } else if (length != 0) {
    return -2;  // a name announced but not sent
  }
  name[length] = '\0';
  Debug("rikcbnew: frame %d, %d x %d, display code 0x%x, name '%s'\n", frame, width, height,
        static_cast<unsigned>(code), name);
  return NewRender(name, code, frame, width, height) == 0 ? 0 : -100;
}

int rikcbdis() {
  std::int32_t head[4];
  int received = 0, status = 0;
  lnkrea(sizeof head, head, received, status);
  if (status != LNK_MORE || received != static_cast<int>(sizeof head)) return -1;
  int x0 = head[0], y0 = head[1], nx = head[2], ny = head[3];
  // Sizes that no image can have would overflow the document's byte tally.
  // Unsigned 64 bits hold any product of two ints and 4; signed ones do not.
  if (nx < 0 || ny < 0 ||
      std::uint64_t(nx) * std::uint64_t(ny) * 4u > std::uint64_t(LNK_MAX_PART_SIZE))
    return -1;
  // The pixels are read where the link received them: the document copies
  // them into the image anyway, and a patch stream is mostly copying.
  const void* pixels = nullptr;
  int length = 0;
  lnkreaview(pixels, length, status);
  if (status != LNK_LAST) return -2;
  Debug("rikcbdis: %d x %d at (%d, %d), %d bytes\n", nx, ny, x0, y0, length);
  if (DisplayRender(x0, y0, nx, ny, static_cast<unsigned>(length),
                    static_cast<const unsigned char*>(pixels)) != 0)
    return -100;
  return 0;
}

int rikcbmes() {
  char text[RIK_MAX_TEXT + 1];
  int length = 0;
  if (int result = ReadText(text, length)) return result;
  if (length > RIK_MAX_TEXT - 1) text[RIK_MAX_TEXT - 1] = '\0';
  Debug("rikcbmes: '%s'\n", text);
  KEPAteloRenderTarget* target = GetKEPAtelo();
  if (!target) return -100;
  KEPAteloLinkState& state = State();
  auto actions = state.GetFilter().Apply(text, target->GetMsgMode(), state.GetEchoLevel());
  for (const auto& action : actions) {
    if (action.echo) {
      std::fwrite(action.text.data(), 1, action.text.size(), stdout);
      std::fflush(stdout);
    } else {
      MessageRender(static_cast<int>(action.text.size()), action.text.c_str());
    }
  }
  return 0;
}

int rikcbpat() {
  char name[RIK_MAX_TEXT + 1];
  int length = 0;
  if (int result = ReadText(name, length)) return result;
  Debug("rikcbpat: '%s'\n", name);
  return FilenameRender(static_cast<int>(std::strlen(name)), name) == 0 ? 0 : -100;
}

int rikcbend() {
  char text[8];
  int received = 0, status = 0;
  lnkrea(sizeof text, text, received, status);
  if (status != LNK_LAST || received != static_cast<int>(sizeof text)) return -1;
  if (std::memcmp(text, "END_DISP", 8) != 0) return -3;
  Debug("rikcbend\n");
  return FinRender() == 0 ? 0 : -100;
}

void rikidray(char* name) {
  std::memcpy(name, State().GetParent(), 9);
}
