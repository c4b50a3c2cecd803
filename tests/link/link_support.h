#pragma once

// The workbench side of the link tests: this test process is the workbench,
// published as kWindow with a fake document, and renderers are links of
// their own in the same process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "link/KEPAteloBridge.h"
#include "link/KEPAteloInterrupt.h"
#include "link/KEPAteloLinkSession.h"
#include "link/KEPAteloLinkState.h"
#include "link/KEPAteloRenderTarget.h"
#include "link/rikcb.h"
#include "platform/link/KEPLink.h"
#include "support/PumpUntil.h"

inline std::string Ints(std::initializer_list<std::int32_t> values) {
  std::string bytes;
  for (std::int32_t value : values) bytes.append(reinterpret_cast<const char*>(&value), 4);
  return bytes;
}

// Plays the document: keeps what it was told, and an image to paint patches
// into (rows bottom first, clipped to the image).
struct FakeTarget : KEPAteloRenderTarget {
  std::vector<std::string> calls, messages;
  std::string name;
  int code = 0, frame = 0, width = 0, height = 0, msgMode = 0, refuse = 0;
  std::vector<unsigned char> image;

  void RenderInit() override { calls.push_back("init"); }
  void RenderNew(const char* n, int c, int f, int w, int h) override {
    calls.push_back("new");
    name = n, code = c, frame = f, width = w, height = h;
    image.assign(static_cast<std::size_t>(w) * h * 4, 0);
  }
  int RenderDisp(int x0, int y0, int nx, int ny, unsigned bytes,
                 const unsigned char* pixels) override {
    calls.push_back("disp");
    if (refuse || bytes < static_cast<unsigned>(nx * ny * 4)) return refuse;
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i) {
        int x = x0 + i, y = y0 + j;
        if (x < 0 || y < 0 || x >= width || y >= height) continue;
        std::memcpy(&image[(static_cast<std::size_t>(y) * width + x) * 4],
                    pixels + (static_cast<std::size_t>(j) * nx + i) * 4, 4);
      }
    return 0;
  }
  void RenderMessage(int length, const char* text) override {
    calls.push_back("message");
    messages.emplace_back(text, length);
  }
  void RenderPath(int length, const char* path) override {
    calls.push_back("path:" + std::string(path, length));
  }
  void RenderEnd() override { calls.push_back("end"); }
  int GetMsgMode() const override { return msgMode; }
};

inline FakeTarget& Target() {
  static FakeTarget target;
  return target;
}

inline constexpr const char* kWindow = "DISP_TST";

// A renderer on the link, and what reaches it.
struct Renderer {
  KEPLink link;
  std::vector<std::pair<std::string, std::string>> received;  // message, body

  explicit Renderer(const char* name) {
    EXPECT_EQ(link.Init(std::getenv("LNK_DIR")), 0);
    EXPECT_EQ(link.Declare(name, "CONNEXIO"), 0);
    for (const char* message : {"raycbend", "TMOUTON ", "TMOUTOFF"})
      link.Register(message, [this, message] {
        std::string body(64, '\0');
        int length = 0;
        KEPLink::Handling()->Read(64, body.data(), length);
        body.resize(length);
        received.emplace_back(message, body);
        return 0;
      });
  }
  // Sends without waiting on the queue, letting the workbench (same thread)
  // read while the queue is full.
  void Send(const char* message, const std::vector<std::string>& parts) {
    std::vector<KEPLinkPart> list;
    for (const auto& part : parts) list.push_back({part.data(), part.size()});
    int status;
    while ((status = link.Send(kWindow, message, list.data(), static_cast<int>(list.size()))) ==
           LNK_ERR_TIMEOUT)
      QCoreApplication::processEvents();
    ASSERT_EQ(status, 0);
  }
};

inline long Handled() {
  const auto& counters = KEPLink::Process().GetCounters();
  return counters.dispatched + counters.dropped + counters.malformed;
}

inline constexpr int kDropped = 999;

// Sends one message and returns its callback's result once handled.
inline int Deliver(Renderer& renderer, const char* message, const std::vector<std::string>& parts) {
  long before = Handled();
  long dispatched = KEPLink::Process().GetCounters().dispatched;
  renderer.Send(message, parts);
  EXPECT_TRUE(PumpUntil([&] { return Handled() > before; }));
  if (KEPLink::Process().GetCounters().dispatched == dispatched) return kDropped;
  return KEPLink::Process().GetCounters().lastResult;
}

inline void Connect(Renderer& renderer) {
  EXPECT_EQ(Deliver(renderer, "CONNEXIO", {Ints({LNK_REASON_CONNECT})}), 0);
}

// The host design process, there before the workbench starts.
inline Renderer& Host() {
  static Renderer host("VIRDA");
  return host;
}

inline std::string Parent() {
  char parent[9];
  rikidray(parent);
  return parent;
}

class LinkProtocol : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (KEPLink::Process().IsReady()) return;
    Host();
    ASSERT_EQ(KEPAteloStartLink("Viewer", kWindow, &Target()), 0);
  }
  void SetUp() override {
    Target() = FakeTarget();
    InitKEPAtelo(&Target());
    KEPAteloLinkState::Instance().Reset();
    unlink(KEPAteloInterruptPath().c_str());
  }
  static bool InterruptFileExists() { return access(KEPAteloInterruptPath().c_str(), F_OK) == 0; }
};

// Messages of the kinds a broken or hostile renderer sends, each of which
// the workbench must refuse whole.
struct LinkMessage {
  std::string name;
  std::vector<std::string> parts;
};

inline std::vector<LinkMessage> MalformedMessages(int count, std::uint32_t seed) {
  std::mt19937 random(seed);
  auto pick = [&](int n) { return static_cast<int>(random() % n); };
  auto garbage = [&](int size) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
  };
  const char* names[] = {"INITDISP", "NEWIMAGE", "DISPLAY ", "MESSAGE ",
                         "PATH    ", "END_DISP", "CONNEXIO"};
  std::vector<LinkMessage> messages;
  for (int i = 0; i < count; ++i) {
    LinkMessage m{names[pick(7)], {}};
    bool headed = m.name == "INITDISP" || m.name == "NEWIMAGE" || m.name == "DISPLAY ";
    switch (pick(8)) {
      case 0:  // wrong number of parts
        if (headed)
          m.parts.assign(pick(2) ? 1 : 4, Ints({0, 0, 0, 0, 5}));
        else
          m.parts.assign(pick(2) ? 0 : 2 + pick(3), garbage(pick(40)));
        break;
      case 1:  // a short first part
        m.parts = {garbage(pick(4) * 3 + 1), garbage(16)};
        break;
      case 2:  // a name longer than its buffer
        m = {"NEWIMAGE", {Ints({1, 8, 8, 1, 300 + pick(1000)}), std::string(300, 'n')}};
        break;
      case 3:  // a name length that does not match
        m = {"NEWIMAGE", {Ints({1, 8, 8, 1, 10}), garbage(11 + pick(200))}};
        break;
      case 4:  // texts too long or empty
        m = {pick(2) ? "MESSAGE " : "PATH    ", {pick(2) ? garbage(257 + pick(300)) : ""}};
        break;
      case 5:  // patches with impossible sizes
        m = {"DISPLAY ", {Ints({pick(100), pick(100), -1 - pick(100), 4}), garbage(64)}};
        break;
      case 6:  // init bodies that do not add up
        m = {"INITDISP", {Ints({1, 1 + pick(3), 1 + pick(3)}), garbage(pick(256))}};
        break;
      default:  // garbage names and bodies
        m = {garbage(8), {garbage(pick(64))}};
        break;
    }
    if (m.name == "CONNEXIO") m.parts = {garbage(pick(3) + 5)};
    if (m.name == "END_DISP" && m.parts.size() == 1) m.parts = {garbage(9)};
    messages.push_back(m);
  }
  return messages;
}
