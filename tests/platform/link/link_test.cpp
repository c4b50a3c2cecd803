#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>
#include <zmq.hpp>
#include <zmq_addon.hpp>

#include "platform/link/KEPLink.h"
#include "platform/link/KEPLinkDirectory.h"
#include "platform/link/lnk.h"
#include "support/PumpUntil.h"
#include "support/TempDir.h"

namespace {

std::string LinkDir() {
  return std::getenv("LNK_DIR");
}

std::string Int(std::int32_t value) {
  return std::string(reinterpret_cast<char*>(&value), 4);
}

// A socket of our own that claims `name` on the link, as another program
// using that name would.
struct Claim {
  zmq::context_t context;
  zmq::socket_t socket{context, zmq::socket_type::dealer};
  Claim(const char* name, const std::string& endpoint) {
    socket.set(zmq::sockopt::routing_id, KEPLinkDirectory::PadName(name));
    socket.set(zmq::sockopt::linger, 0);
    socket.connect(endpoint);
  }
  void Say(const char* text) {
    socket.send(zmq::str_buffer("MESSAGE "), zmq::send_flags::sndmore);
    socket.send(zmq::buffer(std::string(text)));
  }
};

// A workbench and a renderer on the same directory.
struct Pair {
  KEPLink workbench, renderer;
  std::string to;
  Pair(const char* workbenchName, const char* rendererName) : to(workbenchName) {
    EXPECT_EQ(workbench.Init(LinkDir()), 0);
    EXPECT_EQ(renderer.Init(LinkDir()), 0);
    EXPECT_EQ(workbench.Declare(workbenchName, "CONNEXIO"), 0);
    EXPECT_EQ(renderer.Declare(rendererName, "CONNEXIO"), 0);
  }
  int Send(const char* message, std::vector<std::string> parts) {
    std::vector<KEPLinkPart> list;
    for (auto& part : parts) list.push_back({part.data(), part.size()});
    return renderer.Send(to.c_str(), message, list.data(), static_cast<int>(list.size()), 1000);
  }
  // Sends and dispatches it without the event loop.
  void Deliver(const char* message, std::vector<std::string> parts) {
    ASSERT_EQ(Send(message, parts), 0);
    ASSERT_TRUE(workbench.WaitForMessage(2000));
    workbench.ProcessPending();
  }
};

// A callback keeping the text of each message's first part.
std::function<int()> Hear(std::vector<std::string>& heard) {
  return [&heard] {
    char text[16];
    int length = 0;
    KEPLink::Handling()->Read(sizeof text, text, length);
    return heard.emplace_back(text, std::min<int>(length, sizeof text)), 0;
  };
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
  for (auto [mode, result] : {std::pair{0777, KEPLinkDirectory::OTHERS_CAN_WRITE},
                              {0720, KEPLinkDirectory::OTHERS_CAN_WRITE},
                              {0755, KEPLinkDirectory::READY}}) {
    chmod(path.c_str(), mode);
    EXPECT_EQ(KEPLinkDirectory::Prepare(path), result) << std::oct << mode;
  }
  if (getuid() == 0) {
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    EXPECT_EQ(KEPLinkDirectory::Prepare(path), KEPLinkDirectory::OTHER_OWNER);
  }
  WriteWholeFile(dir.File("file"), "x");
  ASSERT_EQ(symlink(dir.Path().c_str(), dir.File("link").c_str()), 0);
  for (const char* unusable : {"file", "link", "missing/lnk"})
    EXPECT_EQ(KEPLinkDirectory::Prepare(dir.File(unusable)), KEPLinkDirectory::CANNOT_CREATE)
        << unusable;

  KEPLink link;
  EXPECT_EQ(link.Init(dir.File("file")), KEPLinkDirectory::CANNOT_CREATE);
  EXPECT_FALSE(link.IsReady());
  EXPECT_EQ(link.Declare("NOPE", "CONNEXIO"), LNK_ERR_NOT_READY);
}

TEST(LinkDirectory, NamesAreCutAndChecked) {
  EXPECT_EQ(KEPLinkDirectory::PadName("DISP_ATELO"), "DISP_ATE");
  EXPECT_TRUE(KEPLinkDirectory::IsUsableName("A B     "));
  for (const char* bad : {"        ", "../x    ", ".hidden ", "AB\nC    "})
    EXPECT_FALSE(KEPLinkDirectory::IsUsableName(bad)) << bad;
}

TEST(Link, DeclaringPublishesAnEntryThatGoesWithTheProcess) {
  std::string entry = LinkDir() + "/ENTRY1";
  {
    KEPLink link;
    ASSERT_EQ(link.Init(LinkDir()), 0);
    ASSERT_EQ(link.Declare("ENTRY1", "CONNEXIO"), 0);
    EXPECT_EQ(link.GetName(), "ENTRY1  ");
    EXPECT_EQ(ReadWholeFile(entry), "ipc://" + entry + ".sock\n" + std::to_string(getpid()) + "\n");
    EXPECT_EQ(access((entry + ".sock").c_str(), F_OK), 0);
    EXPECT_EQ(link.Declare("ENTRY1B", "CONNEXIO"), LNK_ERR_ARGUMENT) << "one name per link";
  }
  EXPECT_NE(access(entry.c_str(), F_OK), 0);
  EXPECT_NE(access((entry + ".sock").c_str(), F_OK), 0);
}

TEST(Link, CallTellsLiveDeadAndMissingProcessesApart) {
  KEPLink link;
  ASSERT_EQ(link.Init(LinkDir()), 0);
  pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
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
  std::vector<int> statuses, lengths;
  std::string sender, joined;
  auto read = [&](int size) {
    char buffer[16];
    int received = 0, status = KEPLink::Handling()->Read(size, size ? buffer : nullptr, received);
    statuses.push_back(status);
    lengths.push_back(received);
    if (status >= 0 || status == LNK_ERR_TOO_LONG) joined.append(buffer, std::min(received, size));
  };
  pair.workbench.Register("NEWIMAGE", [&] {
    read(0);  // asking the length leaves the part where it is
    for (int i = 0; i < 4; ++i) read(16);
    int reason = -1;
    char name[9];
    KEPLink::Handling()->Why(reason, name);
    sender = name;
    return 0;
  });
  pair.Deliver("NEWIMAGE", {"abc", "", "defgh"});
  EXPECT_EQ(statuses, (std::vector<int>{LNK_MORE, LNK_MORE, LNK_MORE, LNK_LAST, LNK_ERR_NO_PART}));
  EXPECT_EQ(lengths, (std::vector<int>{3, 3, 0, 5, 0}));
  EXPECT_EQ(joined, "abcdefgh");
  EXPECT_EQ(sender, "RD_PARTS");

  // A part longer than the buffer fills it, is consumed and says how long
  // it was.
  statuses.clear(), lengths.clear(), joined.clear();
  pair.workbench.Register("MESSAGE", [&] { return read(4), read(4), 0; });
  pair.Deliver("MESSAGE", {"0123456789"});
  EXPECT_EQ(statuses, (std::vector<int>{LNK_ERR_TOO_LONG, LNK_ERR_NO_PART}));
  EXPECT_EQ(lengths[0], 10);
  EXPECT_EQ(joined, "0123");

  int received = 0, status = 0, length = 4;
  char buffer[4];
  EXPECT_EQ(lnkrea(4, buffer, received, status), LNK_ERR_NO_MESSAGE) << "outside a callback";
  EXPECT_EQ(lnkwri("abcd", length, status), LNK_ERR_NO_MESSAGE);
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
  pair.Deliver("MESSAGE", {"before"});
  pair.workbench.Close("RD_CLOSE");
  EXPECT_TRUE(pair.workbench.IsClosed("RD_CLOSE"));
  pair.Deliver("MESSAGE", {"dropped"});
  pair.Deliver("CONNEXIO", {Int(3)});  // not a request to connect
  pair.Deliver("CONNEXIO", {"abc"});   // malformed: no reason
  EXPECT_EQ(messages, 1);
  EXPECT_TRUE(reasons.empty());
  EXPECT_EQ(pair.workbench.GetCounters().dropped, 3);
  pair.Deliver("CONNEXIO", {Int(LNK_REASON_CONNECT)});
  EXPECT_EQ(reasons, std::vector<int>{LNK_REASON_CONNECT});
  pair.Deliver("MESSAGE", {"after"});
  EXPECT_EQ(messages, 2);
  pair.Deliver("UNKNOWN ", {});  // no callback: dropped
  EXPECT_EQ(pair.workbench.GetCounters().dropped, 4);
}

TEST(Link, MalformedFramesAndOversizedPartsAreRefused) {
  Pair pair("WB_BAD", "RD_BAD");
  int calls = 0;
  pair.workbench.Register("MESSAGE", [&] { return ++calls, 0; });
  zmq::context_t context;
  zmq::socket_t raw(context, zmq::socket_type::dealer), named(context, zmq::socket_type::dealer);
  raw.set(zmq::sockopt::routing_id, "SHORT");
  named.set(zmq::sockopt::routing_id, "RAW_NAME");
  for (auto* socket : {&raw, &named}) {
    socket->set(zmq::sockopt::linger, 0);
    socket->connect(pair.workbench.GetEndpoint());
  }
  raw.send(zmq::str_buffer("MESSAGE "), zmq::send_flags::sndmore);
  raw.send(zmq::str_buffer("from a 5-byte routing id"));
  named.send(zmq::str_buffer("MSG"), zmq::send_flags::sndmore);  // 3-byte message name
  named.send(zmq::str_buffer("text"));
  std::vector<zmq::const_buffer> frames{zmq::str_buffer("MESSAGE ")};
  frames.resize(LNK_MAX_PARTS + 2, zmq::str_buffer("p"));
  zmq::send_multipart(named, frames);
  named.send(zmq::str_buffer("MESSAGE "), zmq::send_flags::sndmore);
  named.send(zmq::str_buffer("fine"));
  ASSERT_TRUE(PumpUntil([&] { return pair.workbench.ProcessPending(), calls == 1; }));
  EXPECT_EQ(pair.workbench.GetCounters().malformed, 3);

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
    ASSERT_EQ(pair.Send("DISPLAY ", {Int(i), std::string(4096, 'p')}), 0);
    if (i % 100 == 0) QCoreApplication::processEvents();
  }
  ASSERT_TRUE(PumpUntil([&] { return static_cast<int>(seen.size()) == count; }, 20000))
      << seen.size();
  for (int i = 0; i < count; ++i) ASSERT_EQ(seen[i], i);
}

TEST(Link, ProcessOperationsWorkThroughTheProcessLink) {
  int value = -1, status = -1;
  EXPECT_EQ(lnkini(value, status), 0);
  std::string body;
  lnkopr(
      "PATH",
      [&] {
        char buffer[64];
        int received = 0, st = 0, length = 2;
        lnkrea(sizeof buffer, buffer, received, st);
        body.assign(buffer, received);
        lnkwri("ok", length, st);
        return st;
      },
      status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(lnkgdec("WB_PROC", value, "CONNEXIO", status), 0);

  KEPLink renderer;
  ASSERT_EQ(renderer.Init(LinkDir()), 0);
  ASSERT_EQ(renderer.Declare("RD_PROC", "CONNEXIO"), 0);
  KEPLinkPart part{"/tmp/a.tif", 10};
  ASSERT_EQ(renderer.Send("WB_PROC", "PATH    ", &part, 1, 1000), 0);
  ASSERT_TRUE(PumpUntil([&] { return !body.empty(); }));
  EXPECT_EQ(body, "/tmp/a.tif");
  // The answer goes back to the sender, once.
  std::vector<std::vector<unsigned char>> answer;
  ASSERT_EQ(renderer.ReceiveAnswer("WB_PROC", answer, 2000), 0);
  ASSERT_EQ(answer.size(), 2u);
  EXPECT_EQ(std::string(answer[1].begin(), answer[1].end()), "ok");
  EXPECT_EQ(renderer.ReceiveAnswer("WB_PROC", answer, 50), LNK_ERR_TIMEOUT);
}

TEST(Link, PartsCanTravelWithoutCopies) {
  Pair pair("WB_VIEW", "RD_VIEW");
  auto pixels = std::make_shared<std::vector<unsigned char>>(100000, 0x42);
  std::weak_ptr<std::vector<unsigned char>> watch = pixels;
  KEPLinkPart parts[2] = {{"head", 4}, {pixels->data(), pixels->size(), pixels}};
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
  auto cpu = [] {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
  };
  auto hear = Hear(order);
  pair.workbench.Register("MESSAGE ", [&] {
    hear();
    if (order.size() == 1) {
      // From a process that connects now: ZeroMQ has the workbench's
      // socket learn of the new connection.
      KEPLink late;
      EXPECT_EQ(late.Init(LinkDir()), 0);
      EXPECT_EQ(late.Declare("RD_LATE", "CONNEXIO"), 0);
      KEPLinkPart part{"second", 6};
      EXPECT_EQ(late.Send("WB_NEST", "MESSAGE ", &part, 1, 1000), 0);
      double before = cpu();
      QEventLoop nested;
      QTimer::singleShot(300, &nested, &QEventLoop::quit);
      nested.exec();
      nestedCpu = cpu() - before;
      EXPECT_EQ(order.size(), 1u) << "no message is handled inside another";
    }
    return 0;
  });
  ASSERT_EQ(pair.Send("MESSAGE ", {"first"}), 0);
  ASSERT_TRUE(PumpUntil([&] { return order.size() == 2; }));
  EXPECT_EQ(order, (std::vector<std::string>{"first", "second"}));
  EXPECT_LT(nestedCpu, 0.1) << "the nested loop was woken again and again";
}

TEST(Link, ANameInUseKeepsItsConnectionAndADeadProcessFreesIt) {
  Pair pair("WB_NAME", "RD_NAME");
  std::vector<std::string> heard;
  pair.workbench.Register("MESSAGE", Hear(heard));
  pair.Deliver("MESSAGE", {"first"});
  Claim second("RD_NAME", pair.workbench.GetEndpoint());
  for (int i = 0; i < 20; ++i) second.Say("second");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // it is connected by now
  for (int i = 0; i < 200; ++i) ASSERT_EQ(pair.Send("MESSAGE", {"first"}), 0);
  PumpUntil([&] { return pair.workbench.ProcessPending(), heard.size() > 200; }, 3000);
  EXPECT_EQ(heard, std::vector<std::string>(201, "first"));

  // Killed with messages the workbench, reading slowly, has not read: its
  // successor connects again until it is heard.
  heard.clear();
  pid_t child = fork();
  if (child == 0) {  // only ZeroMQ here: the parent's Qt is not the child's
    Claim dying("RD_DEAD", pair.workbench.GetEndpoint());
    for (int i = 0; i < 400; ++i) dying.Say("dying");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    raise(SIGKILL);
  }
  waitpid(child, nullptr, 0);
  KEPLink successor;
  ASSERT_EQ(successor.Init(LinkDir()), 0);
  ASSERT_EQ(successor.Declare("RD_DEAD", "CONNEXIO"), 0);
  KEPLinkPart part{"alive", 5};
  auto alive = [&] { return std::count(heard.begin(), heard.end(), "alive") > 0; };
  for (int attempt = 0; attempt < 10 && !alive(); ++attempt) {
    if (attempt > 0) successor.Reconnect("WB_NAME");
    ASSERT_EQ(successor.Send("WB_NAME", "MESSAGE ", &part, 1, 1000), 0);
    PumpUntil([&] { return pair.workbench.ProcessPending(1), alive(); }, 500);
  }
  EXPECT_TRUE(alive());
  EXPECT_EQ(std::count(heard.begin(), heard.end(), "dying"), 400);
}
