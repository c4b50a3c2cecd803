// atelo-fuzz: feeds damaged image files to the image service through the
// workbench's own reading path, and keeps the files that crash, hang or
// exhaust the service. The program itself must never end by a signal: it
// stands for the workbench.
//
//   atelo-fuzz --seeds DIR [--out DIR] [--seconds N] [--runs N] [--random S]
//              [--timeout S]
//   atelo-fuzz --make-seeds DIR     one small file of every type, then end
//   atelo-fuzz --make-cases DIR     the known malformed files, then end
//   atelo-fuzz --replay FILE...     reads each file once and says how it went
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "KEPFuzzFiles.h"
#include "KEPFuzzMutator.h"
#include "image/KEPAtelIma.h"
#include "image/KEPImageFile.h"
#include "image/KEPImageService.h"
#include "platform/KEPErrmsg.h"

namespace fs = std::filesystem;

namespace {

// Pictures larger than this are refused once their header is read: the
// header was parsed, and decoding a big picture teaches little more.
constexpr std::int64_t kMaxFuzzPixels = 1 << 22;

struct Seed {
  std::string extension, bytes;
};

std::string Load(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Store(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string Extension(const fs::path& path) {
  std::string ext = path.extension().string();
  if (!ext.empty()) ext.erase(0, 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

// What became of one file, from its status and error text.
std::string Outcome(int status, const std::string& error) {
  if (status == 0) return "ok";
  if (error.find("crashed on it") != std::string::npos) {
    const std::size_t open = error.rfind('('), close = error.rfind(')');
    return "crash:" + (open < close ? error.substr(open + 1, close - open - 1) : "?");
  }
  if (error.find("took more than") != std::string::npos ||
      error.find("took too long") != std::string::npos)
    return "timeout";
  if (error.find("processor time") != std::string::npos) return "cpu";
  if (error.find("wrong answer") != std::string::npos) return "protocol";
  if (error.find("ended unexpectedly") != std::string::npos) return "ended";
  if (error.find("Not enough memory") != std::string::npos) return "memory";
  if (status == 3) return "refused";
  return "error";
}

bool IsFinding(const std::string& outcome) {
  return outcome != "ok" && outcome != "error" && outcome != "refused";
}

struct Result {
  int status;
  std::string error;
};

Result ReadOnce(const std::string& path, const std::string& extension, bool probe,
                std::int64_t maxPixels = kMaxFuzzPixels) {
  char errtext[KEP_ERRMSG_SIZE] = {0};
  int width = 0, height = 0;
  if (probe) {
    int status = KEPImageFile::Probe(path, extension, width, height, errtext);
    return {status, errtext};
  }
  KEPPixelBuffer pixels;
  auto admit = [maxPixels](int w, int h, char* text) {
    if (static_cast<std::int64_t>(w) * h <= maxPixels) return 0;
    KEPFormatError(text, "%d x %d is too large to decode while fuzzing", w, h);
    return 3;
  };
  int status = KEPImageFile::Read(path, extension, pixels, width, height, errtext, admit);
  return {status, errtext};
}

long StatusValue(const std::string& field, pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
  return 0;
}

int MakeSeeds(const fs::path& dir) {
  fs::create_directories(dir);
  KEPAtelIma picture(KEPAtelIma::STATE_IN_MEMORY, 0);
  picture.AllocatePixels(13, 7);
  unsigned char* p = picture.GetPixels();
  for (int i = 0; i < 13 * 7; ++i, p += 4) {
    p[0] = static_cast<unsigned char>(i * 7), p[1] = static_cast<unsigned char>(i * 13);
    p[2] = static_cast<unsigned char>(255 - i), p[3] = static_cast<unsigned char>(128 + i);
  }
  // One file a library: the extensions that share one add nothing.
  std::set<std::string> libraries;
  for (const KEPImageFile::Type& type : KEPImageFile::Types()) {
    if (!(type.flags & KEPAtelImaFormat::WRITABLE) || !libraries.insert(type.library).second)
      continue;
    const std::string name = (dir / ("seed." + type.extension)).string();
    picture.SetName(name.c_str());
    char errtext[KEP_ERRMSG_SIZE] = {0};
    if (picture.SaveImage(0, errtext, 0) != 0) std::fprintf(stderr, "%s\n", errtext);
  }
  Store(dir / "seed.pic", KEPFuzzFiles::GoodPic());
  Store(dir / "seed.psd", KEPFuzzFiles::GoodPsd());
  Store(dir / "seed.gif", KEPFuzzFiles::GoodGif());
  return 0;
}

int MakeCases(const fs::path& dir) {
  fs::create_directories(dir);
  Store(dir / "overrun-1x1.pic", KEPFuzzFiles::OverrunPic());
  // The library falls back on reading by content: the name does not matter.
  Store(dir / "overrun-pic.tif", KEPFuzzFiles::OverrunPic());
  Store(dir / "colour-data-4g.psd", KEPFuzzFiles::HugeColourDataPsd());
  return 0;
}

int Replay(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    std::vector<fs::path> paths;
    if (fs::is_directory(file)) {
      for (const auto& entry : fs::directory_iterator(file)) paths.push_back(entry.path());
      std::sort(paths.begin(), paths.end());
    } else {
      paths.push_back(file);
    }
    for (const fs::path& path : paths) {
      const auto start = std::chrono::steady_clock::now();
      const Result r = ReadOnce(path.string(), Extension(path), false, KEPAtelIma::kMaxPixels);
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      std::printf("%-10s %6.2f s  %s\n", Outcome(r.status, r.error).c_str(), seconds,
                  r.status ? r.error.c_str() : path.c_str());
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string seeds, out = "fuzz-findings";
  double seconds = 60, timeout = 5;
  long long runs = 0;
  std::uint64_t random = static_cast<std::uint64_t>(std::time(nullptr));
  std::vector<std::string> replay;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--make-seeds" && value) return MakeSeeds(value);
    if (arg == "--make-cases" && value) return MakeCases(value);
    if (arg == "--replay") {
      replay.assign(argv + i + 1, argv + argc);
      break;
    }
    if (!value) {
      std::fprintf(stderr, "usage: see the head of tools/atelo-fuzz/main.cpp\n");
      return 2;
    }
    if (arg == "--seeds")
      seeds = value;
    else if (arg == "--out")
      out = value;
    else if (arg == "--seconds")
      seconds = std::atof(value);
    else if (arg == "--runs")
      runs = std::atoll(value);
    else if (arg == "--random")
      random = std::strtoull(value, nullptr, 10);
    else if (arg == "--timeout")
      timeout = std::atof(value);
    ++i;
  }
  setenv("ATELO_IMAGED_TIMEOUT", std::to_string(timeout).c_str(), 0);
  if (!replay.empty()) return Replay(replay);

  std::vector<Seed> corpus;
  std::vector<std::string> blocks;
  if (!seeds.empty() && fs::is_directory(seeds))
    for (const auto& entry : fs::directory_iterator(seeds))
      if (entry.is_regular_file()) {
        corpus.push_back({Extension(entry.path()), Load(entry.path())});
        blocks.push_back(corpus.back().bytes);
      }
  if (corpus.empty()) {
    std::fprintf(stderr, "atelo-fuzz: no seed files in '%s'\n", seeds.c_str());
    return 2;
  }
  std::vector<std::string> readable;
  for (const KEPImageFile::Type& type : KEPImageFile::Types())
    if (type.flags & KEPAtelImaFormat::READABLE) readable.push_back(type.extension);
  fs::create_directories(out);
  char work[] = "/tmp/atelo-fuzz-XXXXXX";
  if (!::mkdtemp(work)) return 2;
  std::printf("atelo-fuzz: %zu seeds, random %llu, findings in %s\n", corpus.size(),
              static_cast<unsigned long long>(random), out.c_str());

  KEPFuzzMutator mutator(random);
  std::map<std::string, long long> outcomes;
  std::map<std::string, int> kept;
  long peakServiceKb = 0;
  const auto start = std::chrono::steady_clock::now();
  auto elapsed = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  double lastReport = 0;
  long long done = 0;
  for (; runs ? done < runs : elapsed() < seconds; ++done) {
    const Seed& seed = corpus[mutator.Pick(corpus.size())];
    const std::string bytes = mutator.Mutate(seed.bytes, blocks);
    // Mostly the seed's own type; sometimes another, which sends the library
    // looking for a reader by content.
    const std::string ext =
        mutator.Pick(7) == 0 ? readable[mutator.Pick(readable.size())] : seed.extension;
    const std::string path = std::string(work) + "/f." + ext;
    Store(path, bytes);
    const Result r = ReadOnce(path, ext, mutator.Pick(10) == 0);
    const std::string outcome = Outcome(r.status, r.error);
    ++outcomes[outcome];
    if (pid_t pid = KEPImageService::Instance().Pid())
      peakServiceKb = std::max(peakServiceKb, StatusValue("VmHWM", pid));
    // The first few findings of each kind and type are kept, the smaller
    // the better for a regression corpus.
    if (IsFinding(outcome) && kept[outcome + ext]++ < 25) {
      std::string name = outcome;
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '-';
      char hash[32];
      std::snprintf(hash, sizeof hash, "%016zx", std::hash<std::string>{}(bytes));
      Store(fs::path(out) / (name + "-" + hash + "." + ext), bytes);
    }
    if (elapsed() - lastReport >= 30) {
      lastReport = elapsed();
      std::printf("%8.0f s %9lld files", lastReport, done + 1);
      for (const auto& [name, count] : outcomes) std::printf("  %s %lld", name.c_str(), count);
      std::printf("\n");
      std::fflush(stdout);
    }
  }
  fs::remove_all(work);
  rusage children;
  ::getrusage(RUSAGE_CHILDREN, &children);
  peakServiceKb = std::max(peakServiceKb, children.ru_maxrss);
  std::printf(
      "atelo-fuzz: %lld files in %.0f s (%.1f a second); largest service %ld MB, this "
      "program %ld MB\n",
      done, elapsed(), done / std::max(elapsed(), 1e-9), peakServiceKb / 1024,
      StatusValue("VmHWM", ::getpid()) / 1024);
  for (const auto& [name, count] : outcomes) std::printf("  %-24s %lld\n", name.c_str(), count);
  return 0;
}
