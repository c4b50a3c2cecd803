#include "series/KEPSeriesLabels.h"

namespace {

std::string Numbered(const std::string& base, int k) {
  return base + " <" + std::to_string(k) + ">";
}

// Splits "name <k>" as Numbered writes it; false for any other text (a
// number written otherwise, "<01>" say, is not the label of that k).
bool SplitNumbered(const std::string& label, std::string& base, int& k) {
  if (label.size() < 4 || label.back() != '>') return false;
  const std::size_t open = label.rfind(" <");
  if (open == std::string::npos) return false;
  const std::string digits = label.substr(open + 2, label.size() - open - 3);
  if (digits.empty() || digits.size() > 9 || digits[0] == '0') return false;
  for (char c : digits)
    if (c < '0' || c > '9') return false;
  base = label.substr(0, open);
  k = std::stoi(digits);
  return true;
}

}  // namespace

bool KEPSeriesLabels::ShownByOthers(const std::string& label, const std::string* own) const {
  auto found = _shown.find(label);
  if (found == _shown.end()) return false;
  return found->second - (own && *own == label ? 1 : 0) > 0;
}

std::string KEPSeriesLabels::Make(const std::string& name, const std::string* own) {
  const std::string base = name.empty() ? "Untitled" : name;
  if (!ShownByOthers(base, own)) return base;
  int& firstFree = _firstFree.try_emplace(base, 1).first->second;
  // Below firstFree every number is taken, by some line; only the image's
  // own line can make one of them free again.
  std::string ownBase;
  int ownK = 0;
  if (own && SplitNumbered(*own, ownBase, ownK) && ownBase == base && ownK < firstFree &&
      !ShownByOthers(*own, own))
    return *own;
  int k = firstFree;
  while (ShownByOthers(Numbered(base, k), own)) ++k;
  firstFree = k;
  return Numbered(base, k);
}

void KEPSeriesLabels::Add(const std::string& label) {
  ++_shown[label];
}

void KEPSeriesLabels::Remove(const std::string& label) {
  auto found = _shown.find(label);
  if (found == _shown.end()) return;
  if (--found->second > 0) return;
  _shown.erase(found);
  std::string base;
  int k = 0;
  if (!SplitNumbered(label, base, k)) return;
  auto hint = _firstFree.find(base);
  if (hint != _firstFree.end() && k < hint->second) hint->second = k;
}

void KEPSeriesLabels::Clear() {
  _shown.clear();
  _firstFree.clear();
}
