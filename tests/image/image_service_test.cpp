// Reading through the image service: whatever a file does to the image
// libraries ends at the service, and the workbench (this test program) goes
// on with a clear error.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "image/KEPAtelIma.h"
#include "image/KEPImageMemory.h"
#include "image/KEPImageService.h"
#include "platform/KEPErrmsg.h"
#include "support/Picture.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
  int status;
  std::string error;
  std::unique_ptr<KEPAtelIma> image;
};

Outcome Load(const std::string& path) {
  auto image = std::make_unique<KEPAtelIma>(path.c_str(), KEPAtelIma::STATE_FROM_FILE, 0);
  char errtext[KEP_ERRMSG_SIZE] = {0};
  int width = 0, height = 0;
  const int status = image->LoadPixels(width, height, errtext);
  return {status, errtext, std::move(image)};
}

std::string Good(const TempDir& dir, const std::string& name, int width = 6, int height = 4) {
  WritePicture(dir.File(name), width, height, [width](int x, int y, unsigned char* p) {
    for (int c = 0; c < 4; ++c) p[c] = static_cast<unsigned char>(((y * width + x) * 4 + c) * 37);
  });
  return dir.File(name);
}

void ExpectReadable(const std::string& path) {
  Outcome good = Load(path);
  EXPECT_EQ(good.status, 0) << good.error;
  EXPECT_NE(good.image->GetPixels(), nullptr);
}

bool Gone(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string pidText, name, state;
  stat >> pidText >> name >> state;
  return !stat || state == "Z";
}

// Kills the service and waits until it is gone, with the child of its last
// request that may still be ending (and holding the socket).
void KillService() {
  const pid_t pid = KEPImageService::Instance().Pid();
  ASSERT_GT(pid, 0);
  std::vector<pid_t> all{pid};
  std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) +
                         "/children");
  for (pid_t child; children >> child;) all.push_back(child);
  ::kill(pid, SIGKILL);
  for (pid_t p : all)
    for (int i = 0; i < 500 && !Gone(p); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : _name(name) {
    if (const char* old = std::getenv(name)) _old = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (_old.empty())
      ::unsetenv(_name);
    else
      ::setenv(_name, _old.c_str(), 1);
  }

 private:
  const char* _name;
  std::string _old;
};

}  // namespace

// The regression corpus: files that crashed, aborted, hung or exhausted the
// image libraries (the fuzzer's findings and the cases users reported). Each
// is refused with its name in the message, and the next good file reads.
TEST(ImageService, FilesThatBreakTheLibrariesOnlyCostThemselves) {
  TempDir dir;
  const std::string good = Good(dir, "good.png");
  const fs::path corpus = fs::path(std::getenv("ATELO_TEST_SOURCE_DIR")) / "tests/image/corpus";
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(corpus / "crashers")) files.push_back(entry);
  std::sort(files.begin(), files.end());
  ASSERT_GE(files.size(), 5u);
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    Outcome bad = Load(file.string());
    EXPECT_NE(bad.status, 0);
    EXPECT_NE(bad.error.find("'" + file.string() + "'"), std::string::npos) << bad.error;
    EXPECT_EQ(bad.image->GetPixels(), nullptr);
    ExpectReadable(good);
  }
  // No process of the service, crashed or not, took 1 GiB. The service is ended and reaped
  // first, so that the peaks of the children it reaped count.
  KillService();
  ExpectReadable(good);
  rusage children;
  ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &children), 0);
  EXPECT_LT(children.ru_maxrss, 1L << 20);
}

TEST(ImageService, TimeOutsAndAMissingServiceAreErrorsThatLoseNothing) {
  TempDir dir;
  const std::string big = Good(dir, "big.png", 3000, 2000);
  {
    ScopedEnv quick("ATELO_IMAGED_TIMEOUT", "0.0001");
    Outcome slow = Load(big);
    EXPECT_NE(slow.status, 0);
    EXPECT_NE(slow.error.find("took too long on it"), std::string::npos) << slow.error;
    // A service that does not answer at all is stopped by the workbench.
    ::kill(KEPImageService::Instance().Pid(), SIGSTOP);
    Outcome stuck = Load(big);
    EXPECT_NE(stuck.error.find("took more than"), std::string::npos) << stuck.error;
  }
  ExpectReadable(big);

  // A save the service does not finish leaves the old file and no other.
  WriteWholeFile(dir.File("old.png"), "old contents");
  KEPAtelIma image(dir.File("old.png").c_str(), KEPAtelIma::STATE_IN_MEMORY, 0);
  ASSERT_EQ(image.AllocatePixels(2000, 2000), 0);
  {
    ScopedEnv quick("ATELO_IMAGED_TIMEOUT", "0.0001");
    char errtext[KEP_ERRMSG_SIZE] = {0};
    EXPECT_NE(image.SaveImage(0, errtext, 0), 0);
    EXPECT_NE(std::string(errtext).find("Can't write image file '" + dir.File("old.png") + "'"),
              std::string::npos)
        << errtext;
  }
  EXPECT_EQ(ReadWholeFile(dir.File("old.png")), "old contents");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);

  KillService();
  {
    ScopedEnv missing("ATELO_IMAGED", dir.File("no-such-service"));
    Outcome none = Load(big);
    EXPECT_NE(none.status, 0);
    EXPECT_NE(none.error.find("cannot be started"), std::string::npos) << none.error;
  }
  ExpectReadable(big);
}

// The pixels a read maps count in the memory budget like allocated ones,
// and the budget is asked before anything is decoded.
TEST(ImageService, ReadsAreCountedInTheBudgetAndRefusedBeforeDecoding) {
  TempDir dir;
  const std::string path = Good(dir, "budget.png", 300, 200);
  const std::uint64_t budget = KEPImageMemory::GetBudget(), before = KEPImageMemory::GetInUse();
  {
    Outcome loaded = Load(path);
    ASSERT_EQ(loaded.status, 0) << loaded.error;
    EXPECT_EQ(KEPImageMemory::GetInUse(), before + 300 * 200 * 4);
    KEPAtelIma copy(*loaded.image);  // a copy of mapped pixels is its own
    copy.GetPixels()[0] ^= 0xFF;
    EXPECT_NE(copy.GetPixels()[0], loaded.image->GetPixels()[0]);
    loaded.image->UnloadPixels();
    EXPECT_EQ(KEPImageMemory::GetInUse(), before + 300 * 200 * 4);
  }
  EXPECT_EQ(KEPImageMemory::GetInUse(), before);

  // The reclaimer runs inside the read; one that reads a file itself is
  // told the service is busy instead of waiting for it for ever.
  KEPImageMemory::SetBudget(before + 1000);
  std::string nested;
  KEPImageMemory::SetReclaimer([&](std::uint64_t) {
    nested = Load(path).error;
    return std::uint64_t{0};
  });
  Outcome refused = Load(path);
  KEPImageMemory::SetReclaimer(nullptr);
  KEPImageMemory::SetBudget(budget);
  EXPECT_NE(nested.find("busy"), std::string::npos) << nested;
  EXPECT_EQ(refused.status, 3);
  EXPECT_NE(refused.error.find("Not enough memory for image '" + path + "' (300 x 200)"),
            std::string::npos)
      << refused.error;
  EXPECT_EQ(KEPImageMemory::GetInUse(), before);
  ExpectReadable(path);
}
