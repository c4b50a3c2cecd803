// Throughput of the renderer link for a 3840 x 2160 RGBA frame streamed in
// patches of 64 x 64 and of 256 x 256 pixels, as "DISPLAY " messages
// ([name][16-byte header][pixels]):
//  - Raw: ZeroMQ alone, DEALER to ROUTER over ipc, the receiver only takes
//    the messages in (the transport's limit on this machine); in one process
//    with two threads, and with the receiver in a second process;
//  - Link: KEPLink to KEPLink, the receiving callback reads both parts as
//    the workbench's callback does (header copied, pixels in place);
//  - LinkQt: the same, dispatched from a Qt event loop by the socket
//    notifier, which is how the workbench receives.
// MB/s is the bytes_per_second column (pixels only).
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>
#include <zmq.hpp>
#include <zmq_addon.hpp>

#include "platform/link/KEPLink.h"

namespace {

constexpr int kFrameWidth = 3840, kFrameHeight = 2160;

std::string Directory() {
  static std::string directory = [] {
    char pattern[] = "/tmp/atelo-bench-lnk-XXXXXX";
    return std::string(mkdtemp(pattern));
  }();
  return directory;
}

int PatchCount(int side) {
  return ((kFrameWidth + side - 1) / side) * ((kFrameHeight + side - 1) / side);
}

void RawZeroMQ(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const int patches = PatchCount(side);
  std::vector<unsigned char> pixels(static_cast<std::size_t>(side) * side * 4, 0x5a);
  std::int32_t header[4] = {0, 0, side, side};
  zmq::context_t context(1);
  zmq::socket_t router(context, zmq::socket_type::router);
  std::string endpoint = "ipc://" + Directory() + "/raw.sock";
  router.set(zmq::sockopt::rcvhwm, 256);
  router.bind(endpoint);
  zmq::socket_t dealer(context, zmq::socket_type::dealer);
  dealer.set(zmq::sockopt::routing_id, "BENCHRAW");
  dealer.set(zmq::sockopt::sndhwm, 64);
  dealer.connect(endpoint);
  std::atomic<long> received{0};
  std::atomic<bool> stop{false};
  std::thread reader([&] {
    zmq::pollitem_t item{router.handle(), 0, ZMQ_POLLIN, 0};
    while (!stop) {
      if (zmq::poll(&item, 1, std::chrono::milliseconds(20)) == 0) continue;
      std::vector<zmq::message_t> frames;
      while (zmq::recv_multipart(router, std::back_inserter(frames), zmq::recv_flags::dontwait)) {
        frames.clear();
        ++received;
      }
    }
  });
  long sent = 0;
  for (auto _ : state) {
    for (int i = 0; i < patches; ++i) {
      dealer.send(zmq::str_buffer("DISPLAY "), zmq::send_flags::sndmore);
      dealer.send(zmq::buffer(header, sizeof header), zmq::send_flags::sndmore);
      dealer.send(zmq::buffer(pixels), zmq::send_flags::none);
    }
    sent += patches;
    while (received < sent) std::this_thread::yield();
  }
  stop = true;
  reader.join();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * patches * pixels.size());
  state.counters["patches"] = patches;
}

// The same with the receiver in a process of its own, as atelo-render and
// the workbench are: the figure to hold the end-to-end throughput against.
void RawZeroMQProcesses(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const int patches = PatchCount(side);
  std::vector<unsigned char> pixels(static_cast<std::size_t>(side) * side * 4, 0x5a);
  std::int32_t header[4] = {0, 0, side, side};
  std::string endpoint = "ipc://" + Directory() + "/rawproc.sock";
  int done[2], ready[2];
  if (pipe(done) != 0 || pipe(ready) != 0) return state.SkipWithError("pipe");
  pid_t child = fork();
  if (child == 0) {
    // A fresh context: ZeroMQ's state does not survive a fork.
    zmq::context_t context(1);
    zmq::socket_t router(context, zmq::socket_type::router);
    router.set(zmq::sockopt::rcvhwm, 256);
    router.bind(endpoint);
    char byte = 1;
    if (write(ready[1], &byte, 1) != 1) _exit(1);
    long received = 0;
    std::vector<zmq::message_t> frames;
    while (true) {
      frames.clear();
      if (!zmq::recv_multipart(router, std::back_inserter(frames))) continue;
      if (frames.size() == 2) break;  // [id][stop]
      if (++received % patches == 0 && write(done[1], &byte, 1) != 1) break;
    }
    _exit(0);
  }
  char byte;
  if (read(ready[0], &byte, 1) != 1) return state.SkipWithError("receiver did not start");
  {
    zmq::context_t context(1);
    zmq::socket_t dealer(context, zmq::socket_type::dealer);
    dealer.set(zmq::sockopt::routing_id, "BENCHRPR");
    dealer.set(zmq::sockopt::sndhwm, 64);
    dealer.connect(endpoint);
    for (auto _ : state) {
      for (int i = 0; i < patches; ++i) {
        dealer.send(zmq::str_buffer("DISPLAY "), zmq::send_flags::sndmore);
        dealer.send(zmq::buffer(header, sizeof header), zmq::send_flags::sndmore);
        dealer.send(zmq::buffer(pixels), zmq::send_flags::none);
      }
      if (read(done[0], &byte, 1) != 1) return state.SkipWithError("receiver lost");
    }
    dealer.send(zmq::str_buffer("STOP    "), zmq::send_flags::none);
    dealer.set(zmq::sockopt::linger, 1000);
  }
  waitpid(child, nullptr, 0);
  for (int fd : {done[0], done[1], ready[0], ready[1]}) close(fd);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * patches * pixels.size());
  state.counters["patches"] = patches;
}

// The workbench's DISPLAY callback, without the document: reads the header,
// then takes the pixels where they were received.
int ReadPatch(std::atomic<long>& received) {
  KEPLink* link = KEPLink::Handling();
  std::int32_t header[4];
  int length = 0;
  if (link->Read(sizeof header, header, length) != LNK_MORE) return -1;
  const unsigned char* pixels = nullptr;
  if (link->ReadInPlace(pixels, length) != LNK_LAST) return -2;
  benchmark::DoNotOptimize(pixels);
  ++received;
  return 0;
}

void SendFrames(benchmark::State& state, KEPLink& sender, const char* to, int side,
                std::atomic<long>& received) {
  const int patches = PatchCount(side);
  std::vector<unsigned char> pixels(static_cast<std::size_t>(side) * side * 4, 0x5a);
  std::int32_t header[4] = {0, 0, side, side};
  KEPLinkPart parts[2] = {{header, sizeof header}, {pixels.data(), pixels.size()}};
  long sent = 0;
  for (auto _ : state) {
    for (int i = 0; i < patches; ++i) {
      if (sender.Send(to, "DISPLAY ", parts, 2, -1) != 0) {
        state.SkipWithError("send failed");
        return;
      }
    }
    sent += patches;
    while (received < sent) std::this_thread::yield();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * patches * pixels.size());
  state.counters["patches"] = patches;
}

void Link(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  std::atomic<long> received{0};
  std::atomic<bool> ready{false}, stop{false};
  // Each link belongs to the thread that uses it, as ZeroMQ sockets must.
  std::thread reader([&] {
    KEPLink receiver;
    receiver.Init(Directory());
    receiver.Declare("BENCH_WB", "CONNEXIO");
    receiver.Register("DISPLAY ", [&] { return ReadPatch(received); });
    ready = true;
    while (!stop) {
      if (receiver.WaitForMessage(20)) receiver.ProcessPending();
    }
  });
  while (!ready) std::this_thread::yield();
  KEPLink sender;
  sender.Init(Directory());
  sender.Declare("BENCH_RD", "CONNEXIO");
  SendFrames(state, sender, "BENCH_WB", side, received);
  stop = true;
  reader.join();
}

void LinkQt(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  std::atomic<long> received{0};
  KEPLink receiver;
  receiver.Init(Directory());
  receiver.Declare("BENCH_QT", "CONNEXIO");  // attaches to the event loop
  receiver.Register("DISPLAY ", [&] { return ReadPatch(received); });
  // The benchmark loop runs in a thread; this (main) thread runs Qt's event
  // loop as the workbench does.
  QEventLoop loop;
  std::thread feeder([&] {
    KEPLink sender;
    sender.Init(Directory());
    sender.Declare("BENCH_QS", "CONNEXIO");
    SendFrames(state, sender, "BENCH_QT", side, received);
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  feeder.join();
}

}  // namespace

BENCHMARK(RawZeroMQ)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RawZeroMQProcesses)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Link)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LinkQt)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::string command = "rm -rf " + Directory();
  return std::system(command.c_str()) == 0 ? 0 : 1;
}
