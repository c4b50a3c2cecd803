#include "platform/link/lnk.h"

namespace {

// Inside a callback the operations act on the link that runs it; elsewhere
// on the process's link.
KEPLink& Active() {
  KEPLink* handling = KEPLink::Handling();
  return handling ? *handling : KEPLink::Process();
}

}  // namespace

int lnkini(int& value, int& status) {
  value = 0;
  status = KEPLink::Process().Init(KEPLinkDirectory::Resolve());
  return status;
}

int lnkopr(const char* message, KEPLinkCallback callback, int& status) {
  status = Active().Register(message, std::move(callback));
  return status;
}

int lnkcall(const char* process, int& pid, int& value, int& status) {
  pid_t found = 0;
  value = 0;
  status = Active().Call(process, &found);
  pid = static_cast<int>(found);
  return status;
}

int lnkgdec(const char* name, int& value, const char* connectMessage, int& status) {
  value = 0;
  status = Active().Declare(name, connectMessage);
  return status;
}

int lnksnd(const char* process, const char* message, const void* body, int& length, int& id,
           int& reserved, int& status) {
  id = 0;
  reserved = 0;
  if (length < 0 || (length > 0 && !body)) {
    length = 0;
    status = LNK_ERR_ARGUMENT;
    return status;
  }
  KEPLinkPart part{body, static_cast<std::size_t>(length)};
  bool hasPart = body != nullptr || length > 0;
  status = Active().Send(process, message, &part, hasPart ? 1 : 0, 0);
  if (status != 0) length = 0;
  return status;
}

// Outside a callback the process's link has no message either, so the
// reads, the answer and lnkwhy report LNK_ERR_NO_MESSAGE through it.

int lnkrea(int requested, void* buffer, int& received, int& status) {
  status = Active().Read(requested, buffer, received);
  return status;
}

int lnkreaview(const void*& data, int& received, int& status) {
  const unsigned char* bytes = nullptr;
  status = Active().ReadInPlace(bytes, received);
  data = bytes;
  return status;
}

int lnkwri(const void* body, int& length, int& status) {
  status = Active().Write(body, length);
  if (status != 0) length = 0;
  return status;
}

int lnkwhy(int& reason, int& value, char* process, int& value2, int& value3) {
  value = value2 = value3 = 0;
  return Active().Why(reason, process);
}

int lnkclo(const char* process) {
  return Active().Close(process);
}
