// The saving policy and the series files.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>

#include "platform/KEPErrmsg.h"
#include "platform/KEPPrompt.h"
#include "platform/KEPTrace.h"
#include "platform/settings/KEPSettingsFile.h"
#include "series/KEPAteloSeries.h"
#include "series/KEPAteloSeriesHost.h"

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int size = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string out(size > 0 ? size : 0, '\0');
  if (size > 0) std::vsnprintf(out.data(), out.size() + 1, format, again);
  va_end(again);
  return out;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Writes next to the target and renames over it, so that a failure at any
// point leaves whatever file was there untouched.
bool WriteAtomically(const std::string& path, const std::string& contents) {
  std::string temporary = path + ".XXXXXX";
  int fd = mkstemp(temporary.data());
  if (fd < 0) return false;
  mode_t mask = umask(0);
  umask(mask);
  bool ok = fchmod(fd, 0666 & ~mask) == 0;
  std::size_t written = 0;
  while (ok && written < contents.size()) {
    ssize_t n = write(fd, contents.data() + written, contents.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    written += static_cast<std::size_t>(n);
  }
  ok = fsync(fd) == 0 && ok;
  ok = close(fd) == 0 && ok;
  if (ok) ok = rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

}  // namespace

// --- questions -------------------------------------------------------------

int KEPAteloSeries::Ask(const std::string& text, std::vector<std::string> buttons,
                        const std::string& statement, int defaultAnswer) {
  if (_host->GetModeAff() == KEPAteloSeriesHost::MODE_PICTURE) {
    return KEPPrompt::Ask(_host->GetPromptParent(),
                          KEPQuestion{"warnDlg", _host->GetTitle(), text, std::move(buttons)});
  }
  // The message window shows a text once its line is ended.
  std::string message = statement + "\n";
  _host->RenderMessage(static_cast<int>(message.size()), message.c_str());
  return defaultAnswer;
}

int KEPAteloSeries::PromptIfNotDone(KEPAtelIma* image) {
  if (image->IsDone()) return 1;
  std::string label = LabelOf(image);
  int answer = Ask(Format("Image '%s' not finished.\nInterrupt rendering ?", label.c_str()),
                   {" Yes  ", "Cancel"},
                   Format("Image '%s' not finished.\nRendering Interrupted.", label.c_str()), 1);
  if (answer != 1) return 0;
  _host->RenderEnd();
  return 1;
}

int KEPAteloSeries::PromptIfNotSaved(KEPAtelIma* image) {
  if (image->IsSaved() || !_host->GetPromptMode()) return 1;
  std::string label = LabelOf(image);
  int answer = Ask(Format("Image '%s' not saved.\nSave image ?", label.c_str()),
                   {" Yes  ", "  No  ", "Cancel"},
                   Format("Image '%s' not saved.\nSave image.", label.c_str()), 1);
  if (answer == 2) return 1;
  if (answer != 1) return 0;
  if (SaveOneImage(image) != 0) {
    _host->DisplayError();
    return 0;
  }
  // A save the user gave up on a later question leaves the image unsaved:
  // going on would lose it.
  return image->IsSaved() ? 1 : 0;
}

int KEPAteloSeries::PromptIfExist(const char* fileName) {
  // A directory cannot be overwritten: the save that follows says so, and
  // asking first would offer what cannot be done.
  if (!fileName || !Exists(fileName) || IsDirectory(fileName)) return 1;
  int answer =
      Ask(Format("File '%s' already exist.\nOverwrite file ?", fileName), {" Yes  ", "Cancel"},
          Format("File '%s' already exist.\nFile Overwriten.", fileName), 1);
  return answer == 1 ? 1 : 0;
}

int KEPAteloSeries::PromptIfLogo(KEPAtelIma* image) {
  if (!image->HasLogo()) return 0;
  const int mode = _host->GetMergeLogoMode();
  if (mode == 2) return 1;
  if (mode != 1) return 0;
  std::string label = LabelOf(image);
  int answer =
      Ask(Format("Image '%s' has a logo.\nMerge logo in image ?", label.c_str()), {" Yes  ", "No"},
          Format("Image '%s' has a logo.\nLogo not merged in image.", label.c_str()), 2);
  return answer == 1 ? 1 : 0;
}

int KEPAteloSeries::PromptIfOverWrite(KEPAtelIma* image) {
  if (_host->GetKeepMode() || _host->GetWriteMode() || _host->GetIncrementMode()) return 0;
  const std::string name = image->GetName() ? image->GetName() : "";
  std::vector<KEPAtelIma*> others;
  for (auto& other : _images) {
    if (other.get() != image && other->IsSaved() &&
        name == (other->GetName() ? other->GetName() : ""))
      others.push_back(other.get());
  }
  if (others.empty()) return 0;

  std::string text = Format(
      "Image '%s' allready in list.\nAccording to the current default settings all images with "
      "the\nsame filename will be overwritten.",
      LabelOf(image).c_str());
  int answer = Ask(text, {"Increment Name", "Keep Images In Memory", "Overwite Images"}, text, 3);
  if (answer == 2) {
    _host->SetKeepMode(1);
    for (KEPAtelIma* other : others) {
      // Read before the file changes, so that every image keeps its pixels.
      int width = 0, height = 0;
      char ignored[KEP_ERRMSG_SIZE] = {0};
      if (!other->GetPixels()) other->LoadPixels(width, height, ignored);
    }
  } else if (answer == 3) {
    _host->SetWriteMode(1);
    KEPAtelIma* current = GetCurImage();
    for (KEPAtelIma* other : others) {
      if (int position = LocateImage(other)) {
        _host->RemoveImageRep(other);
        Discard(TakeImage(position));
      }
    }
    if (GetCurImage() != current) ActivatePosition(_current, false);
    UpdateButtons();
  } else {
    // "Increment Name", and a box closed without an answer: a new name
    // overwrites nothing.
    _host->SetIncrementMode(1);
    answer = 1;
  }
  return answer;
}

void KEPAteloSeries::PromptIfTiffFormat(KEPAtelIma* image) {
  if (image->GetExtension() != "tif") return;
  const std::string& variant = image->GetTiffVariant();
  if (variant.empty() || variant == "TIFF") return;
  image->SetTiffVariant("TIFF");
  if (_host->GetModeAff() != KEPAteloSeriesHost::MODE_PICTURE) {
    std::string message = "Tiff File Format.\nUse Standard Tiff Format.\n";
    _host->RenderMessage(static_cast<int>(message.size()), message.c_str());
  }
}

// --- saving ------------------------------------------------------------------

int KEPAteloSeries::SaveSingle(KEPAtelIma* image, const char* newName) {
  KEP_TRACE(4, "(KEPAteloSeries::SaveSingle) %s\n", newName ? newName : "");
  if (!image) {
    KEPFormatError(errmsg, "No image to save");
    return 1;
  }
  if (!PromptIfNotDone(image)) return 0;
  // Reading other images (keep mode's answer below) may call on the memory
  // budget, which must not drop the pixels being saved.
  struct Pin {
    const KEPAtelIma*& pinned;
    const KEPAtelIma* before;
    ~Pin() { pinned = before; }
  } pin{_pinned, _pinned};
  _pinned = image;

  bool loaded = false;
  if (!image->GetPixels()) {
    int width = 0, height = 0;
    if (int status = image->LoadPixels(width, height, errmsg)) return status;
    loaded = true;
  }
  const int merge = PromptIfLogo(image);

  const std::string oldName = image->GetName() ? image->GetName() : "";
  if (newName && *newName) {
    image->SetName(newName);
    if (!_host->GetIncrementMode() && !PromptIfExist(newName)) {
      image->SetName(oldName.c_str());
      if (loaded) image->UnloadPixels();
      return 0;
    }
  }
  PromptIfOverWrite(image);
  PromptIfTiffFormat(image);

  // Read after the questions: "Increment Name" switches the mode on.
  int status = image->SaveImage(_host->GetIncrementMode() ? 1 : 0, errmsg, merge);
  if (status != 0) {
    image->SetName(oldName.c_str());
  } else if (int position = LocateImage(image)) {
    UpdateLine(position);
    if (position == _current) _host->UpdateImage();
  }
  if (loaded) image->UnloadPixels();
  return status;
}

int KEPAteloSeries::SaveSingle(int position, const char* newName) {
  KEPAtelIma* image = GetPosImage(position);
  if (!image) {
    KEPFormatError(errmsg, "No image at position %d", position);
    return 1;
  }
  return SaveSingle(image, newName);
}

int KEPAteloSeries::SaveMulti(const char* newName, std::span<const int> positions) {
  std::vector<KEPAtelIma*> targets = ImagesAt(positions);
  for (KEPAtelIma* image : targets) {
    // "Overwite Images" on an earlier save may have closed it.
    if (!LocateImage(image)) continue;
    if (int status = SaveSingle(image, newName)) return status;
  }
  return 0;
}

int KEPAteloSeries::SaveSelectedImages(int maxCount, const char* newName) {
  std::vector<int> selected = GetSelectedPositions();
  if (selected.empty() && _current) selected.push_back(_current);
  if (selected.empty()) {
    KEPFormatError(errmsg, "No image to save");
    return 1;
  }
  if (maxCount > 0 && static_cast<int>(selected.size()) > maxCount) selected.resize(maxCount);
  return SaveMulti(newName, selected);
}

int KEPAteloSeries::SaveAllImages(const char* newName) {
  if (_images.empty()) return 0;
  return SaveMulti(newName, {});
}

int KEPAteloSeries::SaveOneImage(KEPAtelIma* image, const char* newName) {
  return SaveSingle(image, newName);
}

// --- series files ----------------------------------------------------------------

int KEPAteloSeries::SaveSeries(const char* fileName) {
  KEP_TRACE(4, "(KEPAteloSeries::SaveSeries) %s\n", fileName ? fileName : "");
  std::string path = ResolveFilename(fileName);
  std::string directory, base, suffix, extension;
  int number = 0;
  if (litelements(path.c_str(), directory, base, number, suffix, extension) != 0) {
    KEPFormatError(errmsg, "Unable to create file %s", path.c_str());
    return 1;
  }
  if (extension.empty()) {
    extension = "series";
    path += ".series";
  }
  if (!directory.empty() && !IsDirectory(directory)) {
    KEPFormatError(errmsg, "Directory '%s' not available", directory.c_str());
    return -1;
  }
  if (Exists(path)) {
    if (_host->GetIncrementMode()) {
      // Bounded so that a directory full of numbered names cannot hang us.
      std::string candidate;
      for (int k = 1; k <= 100000; ++k) {
        candidate = Format("%s%s_%d%s.%s", directory.c_str(), base.c_str(), number + k,
                           suffix.c_str(), extension.c_str());
        if (!Exists(candidate)) break;
        candidate.clear();
      }
      if (candidate.empty()) {
        KEPFormatError(errmsg, "Unable to create file %s", path.c_str());
        return 1;
      }
      path = candidate;
    } else if (!PromptIfExist(path.c_str())) {
      return 0;
    }
  }

  std::string contents;
  for (int position : GetSelectedPositions()) {
    const char* name = GetPosImage(position)->GetName();
    contents += Format("%s\n", name ? name : "");
  }
  if (!WriteAtomically(path, contents)) {
    KEPFormatError(errmsg, "Unable to create file %s", path.c_str());
    return 1;
  }
  return 0;
}

int KEPAteloSeries::InsertSeries(const char* fileName, int select) {
  KEP_TRACE(4, "(KEPAteloSeries::InsertSeries) %s\n", fileName ? fileName : "");
  std::string path = ResolveFilename(fileName);
  if (!fileName || !*fileName) {
    KEPFormatError(errmsg, "File '%s' not found", path.c_str());
    return 1;
  }
  // Only a regular file of a sane size is read (errmsg says what else was
  // refused): a FIFO or a device named as a series must not hang the
  // workbench.
  std::vector<std::string> lines;
  if (litimages(path.c_str(), lines) < 0) return 1;
  // Binary data is refused whole rather than reported line by line.
  for (const std::string& line : lines) {
    if (line.find('\0') != std::string::npos) {
      KEPFormatError(errmsg, "File '%s' is not a series file", path.c_str());
      return 1;
    }
  }
  int after = InsertionPoint(0);
  int last = 0;
  for (std::string line : lines) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
      line.pop_back();
    if (line.empty()) continue;
    if (InsertFileAfter(line.c_str(), after) != 0) {
      _host->DisplayError();
      continue;
    }
    // Each image goes after the one before it, so the file's order holds.
    if (_lastInserted) after = last = _lastInserted;
  }
  if (select && last) ActivatePosition(last, false);
  return 0;
}
