#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>
#include <zmq.hpp>
#include <zmq_addon.hpp>

#include "platform/link/KEPLink.h"
#include "platform/link/KEPLinkDirectory.h"
#include "platform/link/lnk.h"
#include "support/TempDir.h"

namespace {

// Runs the Qt event loop until `done` holds or a few seconds have passed.
template <class Predicate>
bool PumpUntil(Predicate done, int milliseconds = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > milliseconds) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    usleep(200);
  }
  return true;
}

std::string LinkDir() {
  return std::getenv("LNK_DIR");
}

pid_t DeadPid() {
  pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

// A workbench and a renderer on the same directory, the renderer's messages
// dispatched from the event loop.
struct Pair {
  KEPLink workbench, renderer;
  explicit Pair(const char* workbenchName, const char* rendererName) {
    EXPECT_EQ(workbench.Init(LinkDir()), 0);
    EXPECT_EQ(renderer.Init(LinkDir()), 0);
    EXPECT_EQ(workbench.Declare(workbenchName, "CONNEXIO"), 0);
    EXPECT_EQ(renderer.Declare(rendererName, "CONNEXIO"), 0);
  }
  int Send(const char* to, const char* message, std::vector<std::string> parts) {
    std::vector<KEPLinkPart> list;
    for (auto& part : parts) list.push_back({part.data(), part.size()});
    return renderer.Send(to, message, list.data(), static_cast<int>(list.size()), 1000);
  }
};

std::string Int(std::int32_t value) {
  return std::string(reinterpret_cast<char*>(&value), 4);
}

}  // namespace

TEST(LinkDirectory, ResolvesFromTheEnvironmentInOrder) {
  std::string saved = LinkDir();
  setenv("LNK_DIR", "/some/where", 1);
  setenv("XDG_RUNTIME_DIR", "/run/user/7", 1);
  EXPECT_EQ(KEPLinkDirectory::Resolve(), "/some/where");
  unsetenv("LNK_DIR");
  EXPECT_EQ(KEPLinkDirectory::Resolve(), "/run/user/7/lnk");
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(KEPLinkDirectory::Resolve(), "/tmp/lnk-" + std::to_string(getuid()));
  setenv("LNK_DIR", saved.c_str(), 1);
}

TEST(LinkDirectory, IsCreatedPrivateAndRefusedWhenOthersCouldUseIt) {
  TempDir dir;
  std::string path = dir.File("lnk");
  ASSERT_EQ(KEPLinkDirectory::Prepare(path), KEPLinkDirectory::READY);
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  chmod(path.c_str(), 0777);
  EXPECT_EQ(KEPLinkDirectory::Prepare(path), KEPLinkDirectory::OTHERS_CAN_WRITE);
  chmod(path.c_str(), 0720);
  EXPECT_EQ(KEPLinkDirectory::Prepare(path), KEPLinkDirectory::OTHERS_CAN_WRITE);
  chmod(path.c_str(), 0755);
  EXPECT_EQ(KEPLinkDirectory::Prepare(path), KEPLinkDirectory::READY);

  if (getuid() == 0) {
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    EXPECT_EQ(KEPLinkDirectory::Prepare(path), KEPLinkDirectory::OTHER_OWNER);
  }

  WriteWholeFile(dir.File("file"), "x");
  EXPECT_EQ(KEPLinkDirectory::Prepare(dir.File("file")), KEPLinkDirectory::CANNOT_CREATE);
  ASSERT_EQ(symlink(dir.Path().c_str(), dir.File("link").c_str()), 0);
  EXPECT_EQ(KEPLinkDirectory::Prepare(dir.File("link")), KEPLinkDirectory::CANNOT_CREATE);
  EXPECT_EQ(KEPLinkDirectory::Prepare(dir.File("missing/lnk")), KEPLinkDirectory::CANNOT_CREATE);

  KEPLink link;
  chmod(path.c_str(), 0777);
  EXPECT_EQ(link.Init(dir.File("file")), KEPLinkDirectory::CANNOT_CREATE);
  EXPECT_FALSE(link.IsReady());
  EXPECT_EQ(link.Declare("NOPE", "CONNEXIO"), LNK_ERR_NOT_READY);
}

TEST(LinkDirectory, NamesArePaddedCutAndChecked) {
  EXPECT_EQ(KEPLinkDirectory::PadName("VIRDA"), "VIRDA   ");
  EXPECT_EQ(KEPLinkDirectory::PadName("DISP_ATELO"), "DISP_ATE");
  EXPECT_EQ(KEPLinkDirectory::TrimName("PATH    "), "PATH");
  EXPECT_TRUE(KEPLinkDirectory::IsUsableName("A B     "));
  EXPECT_FALSE(KEPLinkDirectory::IsUsableName("        "));
  EXPECT_FALSE(KEPLinkDirectory::IsUsableName("../x    "));
  EXPECT_FALSE(KEPLinkDirectory::IsUsableName(".hidden "));
  EXPECT_FALSE(KEPLinkDirectory::IsUsableName(std::string("AB\nC    ")));
}

TEST(Link, DeclaringPublishesAnEntryThatGoesWithTheProcess) {
  std::string entry = LinkDir() + "/ENTRY1";
  {
    KEPLink link;
    ASSERT_EQ(link.Init(LinkDir()), 0);
    ASSERT_EQ(link.Declare("ENTRY1", "CONNEXIO"), 0);
    EXPECT_EQ(link.GetName(), "ENTRY1  ");
    std::string text = ReadWholeFile(entry);
    EXPECT_EQ(text, "ipc://" + LinkDir() + "/ENTRY1.sock\n" + std::to_string(getpid()) + "\n");
    struct stat info;
    EXPECT_EQ(stat((LinkDir() + "/ENTRY1.sock").c_str(), &info), 0);
    EXPECT_EQ(link.Declare("ENTRY1B", "CONNEXIO"), LNK_ERR_ARGUMENT) << "one name per link";
    EXPECT_EQ(link.Call("ENTRY1"), 0);
  }
  EXPECT_NE(access(entry.c_str(), F_OK), 0);
  EXPECT_NE(access((entry + ".sock").c_str(), F_OK), 0);
}

TEST(Link, CallTellsLiveDeadAndMissingProcessesApart) {
  KEPLink link;
  ASSERT_EQ(link.Init(LinkDir()), 0);
  pid_t dead = DeadPid();
  ASSERT_EQ(KEPLinkDirectory::WriteEntry(LinkDir(), "STALE   ", "ipc:///nowhere", dead), 0);
  pid_t pid = 0;
  EXPECT_EQ(link.Call("STALE", &pid), LNK_ERR_DEAD);
  EXPECT_EQ(pid, dead);
  EXPECT_EQ(link.Call("ABSENT"), LNK_ERR_NO_ENTRY);
  WriteWholeFile(LinkDir() + "/BROKEN", "ipc://x\nnot a pid\n");
  EXPECT_EQ(link.Call("BROKEN"), LNK_ERR_NO_ENTRY);

  // A stale entry is taken over; a live process keeps its name.
  ASSERT_EQ(link.Declare("STALE", "CONNEXIO"), 0);
  EXPECT_EQ(link.Call("STALE", &pid), 0);
  EXPECT_EQ(pid, getpid());
  ASSERT_EQ(KEPLinkDirectory::WriteEntry(LinkDir(), "LIVE    ", "ipc:///nowhere", 1), 0);
  KEPLink other;
  ASSERT_EQ(other.Init(LinkDir()), 0);
  EXPECT_EQ(other.Declare("LIVE", "CONNEXIO"), LNK_ERR_IN_USE);
  EXPECT_EQ(other.Send("STALE", "MESSAGE ", nullptr, 0), LNK_ERR_NOT_DECLARED);
  EXPECT_EQ(other.Declare("a/b", "CONNEXIO"), LNK_ERR_NAME);
}

TEST(Link, CallbackReadsThePartsInOrder) {
  Pair pair("WB_PARTS", "RD_PARTS");
  pair.workbench.AttachToEventLoop();
  std::vector<int> statuses, lengths;
  std::string sender, joined;
  int calls = 0;
  pair.workbench.Register("NEWIMAGE", [&] {
    ++calls;
    KEPLink* link = KEPLink::Handling();
    char buffer[16];
    int received = 0;
    // Asking the length leaves the part where it is.
    statuses.push_back(link->Read(0, nullptr, received));
    lengths.push_back(received);
    for (int i = 0; i < 4; ++i) {
      int status = link->Read(sizeof buffer, buffer, received);
      statuses.push_back(status);
      lengths.push_back(received);
      if (status >= 0) joined.append(buffer, received);
    }
    int reason = -1;
    char name[9];
    link->Why(reason, name);
    sender = name;
    return 0;
  });
  ASSERT_EQ(pair.Send("WB_PARTS", "NEWIMAGE", {"abc", "", "defgh"}), 0);
  ASSERT_TRUE(PumpUntil([&] { return calls == 1; }));
  EXPECT_EQ(statuses, (std::vector<int>{LNK_MORE, LNK_MORE, LNK_MORE, LNK_LAST, LNK_ERR_NO_PART}));
  EXPECT_EQ(lengths, (std::vector<int>{3, 3, 0, 5, 0}));
  EXPECT_EQ(joined, "abcdefgh");
  EXPECT_EQ(sender, "RD_PARTS");

  // A part longer than the buffer fills it, is consumed and says how long
  // it was.
  pair.workbench.Register("MESSAGE", [&] {
    char buffer[4];
    int received = 0;
    statuses = {KEPLink::Handling()->Read(sizeof buffer, buffer, received)};
    lengths = {received};
    joined.assign(buffer, 4);
    statuses.push_back(KEPLink::Handling()->Read(sizeof buffer, buffer, received));
    return 0;
  });
  ASSERT_EQ(pair.Send("WB_PARTS", "MESSAGE", {"0123456789"}), 0);
  ASSERT_TRUE(PumpUntil([&] { return pair.workbench.GetCounters().dispatched == 2; }));
  EXPECT_EQ(statuses, (std::vector<int>{LNK_ERR_TOO_LONG, LNK_ERR_NO_PART}));
  EXPECT_EQ(lengths, std::vector<int>{10});
  EXPECT_EQ(joined, "0123");

  int received = 0, status = 0;
  char buffer[4];
  EXPECT_EQ(lnkrea(4, buffer, received, status), LNK_ERR_NO_MESSAGE) << "outside a callback";
  int length = 4;
  EXPECT_EQ(lnkwri("abcd", length, status), LNK_ERR_NO_MESSAGE);
}

TEST(Link, AnswersGoBackToTheSenderUnderTheMessageName) {
  Pair pair("WB_ANSW", "RD_ANSW");
  pair.workbench.Register("INITDISP", [] {
    std::int32_t answer = 77;
    return KEPLink::Handling()->Write(&answer, 4);
  });
  ASSERT_EQ(pair.Send("WB_ANSW", "INITDISP", {"x"}), 0);
  ASSERT_TRUE(pair.workbench.WaitForMessage(2000));
  EXPECT_EQ(pair.workbench.ProcessPending(), 1);
  EXPECT_EQ(pair.workbench.GetCounters().lastResult, 0);
  std::vector<std::vector<unsigned char>> frames;
  ASSERT_EQ(pair.renderer.ReceiveAnswer("WB_ANSW", frames, 2000), 0);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(std::string(frames[0].begin(), frames[0].end()), "INITDISP");
  ASSERT_EQ(frames[1].size(), 4u);
  std::int32_t answer;
  std::memcpy(&answer, frames[1].data(), 4);
  EXPECT_EQ(answer, 77);
  EXPECT_EQ(pair.renderer.ReceiveAnswer("WB_ANSW", frames, 50), LNK_ERR_TIMEOUT);
}

TEST(Link, AClosedProcessIsHeardAgainOnlyAfterConnecting) {
  Pair pair("WB_CLOSE", "RD_CLOSE");
  std::vector<int> reasons;
  int messages = 0;
  pair.workbench.Register("CONNEXIO", [&] {
    int reason = 0;
    KEPLink::Handling()->Why(reason, nullptr);
    reasons.push_back(reason);
    return 0;
  });
  pair.workbench.Register("MESSAGE", [&] { return ++messages, 0; });
  auto deliver = [&](const char* message, std::vector<std::string> parts) {
    ASSERT_EQ(pair.Send("WB_CLOSE", message, parts), 0);
    ASSERT_TRUE(pair.workbench.WaitForMessage(2000));
    pair.workbench.ProcessPending();
  };
  deliver("MESSAGE", {"before"});
  EXPECT_EQ(messages, 1);
  pair.workbench.Close("RD_CLOSE");
  EXPECT_TRUE(pair.workbench.IsClosed("RD_CLOSE"));
  deliver("MESSAGE", {"dropped"});
  deliver("CONNEXIO", {Int(3)});  // not a request to connect
  deliver("CONNEXIO", {"abc"});   // malformed: no reason
  EXPECT_EQ(messages, 1);
  EXPECT_TRUE(reasons.empty());
  EXPECT_EQ(pair.workbench.GetCounters().dropped, 3);
  deliver("CONNEXIO", {Int(LNK_REASON_CONNECT)});
  EXPECT_EQ(reasons, std::vector<int>{LNK_REASON_CONNECT});
  deliver("MESSAGE", {"after"});
  EXPECT_EQ(messages, 2);
  // Without a callback the message is dropped.
  deliver("UNKNOWN ", {});
  EXPECT_EQ(pair.workbench.GetCounters().dropped, 4);
}

TEST(Link, MalformedFramesAndOversizedPartsAreRefused) {
  Pair pair("WB_BAD", "RD_BAD");
  int calls = 0;
  pair.workbench.Register("MESSAGE", [&] { return ++calls, 0; });
  zmq::context_t context;
  zmq::socket_t raw(context, zmq::socket_type::dealer);
  raw.set(zmq::sockopt::routing_id, "SHORT");
  raw.connect(pair.workbench.GetEndpoint());
  raw.send(zmq::str_buffer("MESSAGE "), zmq::send_flags::sndmore);
  raw.send(zmq::str_buffer("from a 5-byte routing id"));
  zmq::socket_t named(context, zmq::socket_type::dealer);
  named.set(zmq::sockopt::routing_id, "RAW_NAME");
  named.connect(pair.workbench.GetEndpoint());
  named.send(zmq::str_buffer("MSG"), zmq::send_flags::sndmore);  // 3-byte message name
  named.send(zmq::str_buffer("text"));
  std::vector<std::string> many(LNK_MAX_PARTS + 1, "p");
  std::vector<zmq::const_buffer> frames{zmq::str_buffer("MESSAGE ")};
  for (auto& part : many) frames.push_back(zmq::buffer(part));
  zmq::send_multipart(named, frames);
  named.send(zmq::str_buffer("MESSAGE "), zmq::send_flags::sndmore);
  named.send(zmq::str_buffer("fine"));
  ASSERT_TRUE(PumpUntil([&] {
    pair.workbench.ProcessPending();
    return calls == 1;
  }));
  EXPECT_EQ(pair.workbench.GetCounters().malformed, 3);
  raw.set(zmq::sockopt::linger, 0);
  named.set(zmq::sockopt::linger, 0);

  static const char big = 0;
  KEPLinkPart huge{&big, static_cast<std::size_t>(LNK_MAX_PART_SIZE) + 1};
  EXPECT_EQ(pair.renderer.Send("WB_BAD", "DISPLAY ", &huge, 1), LNK_ERR_TOO_LONG);
  EXPECT_EQ(pair.renderer.Send("NOBODY", "DISPLAY ", nullptr, 0), LNK_ERR_NO_ENTRY);
}

TEST(Link, EveryMessageOfABurstIsDispatchedFromTheEventLoop) {
  // ZeroMQ's descriptor signals edges: a notifier that handled one message
  // per notification would leave most of a burst waiting for ever.
  Pair pair("WB_BURST", "RD_BURST");
  pair.workbench.AttachToEventLoop();
  std::vector<int> seen;
  pair.workbench.Register("DISPLAY ", [&] {
    std::int32_t value = 0;
    int received = 0;
    KEPLink::Handling()->Read(4, &value, received);
    seen.push_back(value);
    return 0;
  });
  const int count = 2000;
  for (int i = 0; i < count; ++i) {
    ASSERT_EQ(pair.Send("WB_BURST", "DISPLAY ", {Int(i), std::string(4096, 'p')}), 0);
    if (i % 100 == 0) QCoreApplication::processEvents();
  }
  ASSERT_TRUE(PumpUntil([&] { return static_cast<int>(seen.size()) == count; }, 20000))
      << seen.size();
  for (int i = 0; i < count; ++i) ASSERT_EQ(seen[i], i);
}

TEST(Link, ProcessOperationsWorkThroughTheProcessLink) {
  int value = -1, status = -1;
  EXPECT_EQ(lnkini(value, status), 0);
  int received = 0;
  std::string body;
  lnkopr(
      "PATH",
      [&] {
        char buffer[64];
        int st = 0;
        lnkrea(sizeof buffer, buffer, received, st);
        body.assign(buffer, received);
        char process[9];
        int reason = 0, v1 = 0, v2 = 0, v3 = 0;
        lnkwhy(reason, v1, process, v2, v3);
        int length = 2;
        lnkwri("ok", length, st);
        return st;
      },
      status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(lnkgdec("WB_PROC", value, "CONNEXIO", status), 0);
  int pid = 0;
  EXPECT_EQ(lnkcall("WB_PROC ", pid, value, status), 0);
  EXPECT_EQ(pid, getpid());
  EXPECT_EQ(lnkcall("NOONE", pid, value, status), LNK_ERR_NO_ENTRY);

  KEPLink renderer;
  ASSERT_EQ(renderer.Init(LinkDir()), 0);
  ASSERT_EQ(renderer.Declare("RD_PROC", "CONNEXIO"), 0);
  int renderPath = 0;
  renderer.Register("TMOUTOFF", [&] {
    char buffer[8];
    int length = 0;
    KEPLink::Handling()->Read(sizeof buffer, buffer, length);
    renderPath = length;
    return 0;
  });
  KEPLinkPart part{"/tmp/a.tif", 10};
  ASSERT_EQ(renderer.Send("WB_PROC", "PATH    ", &part, 1, 1000), 0);
  ASSERT_TRUE(PumpUntil([&] { return !body.empty(); }));
  EXPECT_EQ(body, "/tmp/a.tif");
  std::vector<std::vector<unsigned char>> answer;
  ASSERT_EQ(renderer.ReceiveAnswer("WB_PROC", answer, 2000), 0);
  ASSERT_EQ(answer.size(), 2u);
  EXPECT_EQ(std::string(answer[1].begin(), answer[1].end()), "ok");

  int length = 4, id = 0, reserved = 0;
  EXPECT_EQ(lnksnd("RD_PROC", "TMOUTOFF", "TMOF", length, id, reserved, status), 0);
  EXPECT_EQ(length, 4);
  ASSERT_TRUE(renderer.WaitForMessage(2000));
  renderer.ProcessPending();
  EXPECT_EQ(renderPath, 4);
  EXPECT_EQ(lnkclo("RD_PROC"), 0);
  EXPECT_TRUE(KEPLink::Process().IsClosed("RD_PROC"));
}

TEST(Link, PartsCanTravelWithoutCopies) {
  Pair pair("WB_VIEW", "RD_VIEW");
  auto pixels = std::make_shared<std::vector<unsigned char>>(100000, 0x42);
  std::weak_ptr<std::vector<unsigned char>> watch = pixels;
  std::string header = "head";
  KEPLinkPart parts[2] = {{header.data(), header.size()}, {pixels->data(), pixels->size(), pixels}};
  pixels.reset();
  std::vector<int> statuses;
  std::string seen;
  pair.workbench.Register("DISPLAY ", [&] {
    const unsigned char* data = nullptr;
    int length = 0;
    statuses.push_back(KEPLink::Handling()->ReadInPlace(data, length));
    statuses.push_back(KEPLink::Handling()->ReadInPlace(data, length));
    seen.assign(reinterpret_cast<const char*>(data), length);
    statuses.push_back(KEPLink::Handling()->ReadInPlace(data, length));
    return 0;
  });
  ASSERT_EQ(pair.renderer.Send("WB_VIEW", "DISPLAY ", parts, 2, 1000), 0);
  parts[1].keep.reset();
  ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }));
  EXPECT_EQ(statuses, (std::vector<int>{LNK_MORE, LNK_LAST, LNK_ERR_NO_PART}));
  EXPECT_EQ(seen, std::string(100000, 0x42));
  EXPECT_TRUE(PumpUntil([&] { return watch.expired(); })) << "the sender let the buffer go";
}

TEST(Link, ACallbackThatRunsAnEventLoopDoesNotSpinIt) {
  // A blocking box shown from a callback runs a nested event loop; messages
  // arriving meanwhile wait for the callback to return, in order.
  Pair pair("WB_NEST", "RD_NEST");
  std::vector<std::string> order;
  double nestedCpu = 0;
  pair.workbench.Register("MESSAGE ", [&] {
    char text[16];
    int length = 0;
    KEPLink::Handling()->Read(sizeof text, text, length);
    order.emplace_back(text, length);
    if (order.size() == 1) {
      // From a process that connects now: ZeroMQ has the workbench's
      // socket learn of the new connection.
      KEPLink late;
      EXPECT_EQ(late.Init(LinkDir()), 0);
      EXPECT_EQ(late.Declare("RD_LATE", "CONNEXIO"), 0);
      KEPLinkPart part{"second", 6};
      EXPECT_EQ(late.Send("WB_NEST", "MESSAGE ", &part, 1, 1000), 0);
      auto cpu = [] {
        timespec now;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return now.tv_sec + now.tv_nsec * 1e-9;
      };
      double before = cpu();
      QEventLoop nested;
      QTimer::singleShot(300, &nested, &QEventLoop::quit);
      nested.exec();
      nestedCpu = cpu() - before;
      EXPECT_EQ(order.size(), 1u) << "no message is handled inside another";
    }
    return 0;
  });
  ASSERT_EQ(pair.Send("WB_NEST", "MESSAGE ", {"first"}), 0);
  ASSERT_TRUE(PumpUntil([&] { return order.size() == 2; }));
  EXPECT_EQ(order, (std::vector<std::string>{"first", "second"}));
  EXPECT_LT(nestedCpu, 0.1) << "the nested loop was woken again and again";
}
