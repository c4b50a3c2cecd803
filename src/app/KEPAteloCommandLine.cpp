#include "app/KEPAteloCommandLine.h"

#include <cstdlib>
#include <cstring>

namespace {

const char* const kDefaultTitle = "VIRDA Image Viewer";

std::string StartFile(const std::string& name, const std::string& pwd) {
  std::string file = name.find('/') != std::string::npos ? name : pwd + "/" + name;
  if (file.size() > KEPAteloCommandLine::kMaxFileName)
    file.resize(KEPAteloCommandLine::kMaxFileName);
  return file;
}

}  // namespace

int ParseCommandLine(int argc, const char* const* argv, const std::string& pwd,
                     KEPAteloCommandLine& line) {
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    const char* option = argv[i];
    bool hasValue = i + 1 < argc;
    if (!std::strcmp(option, "-b")) {
      line.style |= KEPAteloCommandLine::STYLE_BATCH;
    } else if (!std::strcmp(option, "-notool")) {
      line.style |= KEPAteloCommandLine::STYLE_NO_TOOLBARS;
    } else if (!std::strcmp(option, "-T") && hasValue) {
      line.title = argv[++i];
    } else if (!std::strcmp(option, "-id") && hasValue) {
      line.identifier = argv[++i];
      if (line.identifier == "DISP_TEX" || line.identifier == "DISP_SAM")
        line.style |= KEPAteloCommandLine::STYLE_NO_TOOLBARS;
    } else if (!std::strcmp(option, "-W") && hasValue) {
      line.width = std::atoi(argv[++i]);
    } else if (!std::strcmp(option, "-H") && hasValue) {
      line.height = std::atoi(argv[++i]);
    } else {
      return 1;  // "-h", an unknown option, or one without its argument
    }
  }
  if (line.title.empty()) line.title = kDefaultTitle;
  for (; i < argc; ++i) {
    if (argv[i][0] == '-') return 1;
    line.files.push_back(StartFile(argv[i], pwd));
  }
  return 0;
}

std::string UsageText(const std::string& program) {
  std::string name = program;
  if (auto slash = name.rfind('/'); slash != std::string::npos) name = name.substr(slash + 1);
  return "\nUsage: " + name +
         " [-h] [-T Title] [-id string] [-b] [-notool] [-W Width] [-H Height] [file...]\n"
         "       -h       show this message\n"
         "       -T       window title\n"
         "       -id      window identifier (8 characters)\n"
         "       -b       batch mode\n"
         "       -notool  toolbar hidden\n"
         "       -W       window width\n"
         "       -H       window height\n"
         "       file...  name of file(s) to be loaded on startup\n";
}
