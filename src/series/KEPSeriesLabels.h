#pragma once

#include <string>
#include <unordered_map>

// The labels shown on the series' lines, counted, so that a label is made
// unique without going through every line: a long series opens in time that
// grows with its length, not with its square.
//
// The rule is KEPSeriesRules::MakeLabel's: the name ("Untitled" when empty),
// or "%s <%d>" with the smallest k that no other line shows.
class KEPSeriesLabels {
 public:
  // The label for an image named `name`. `own` is the label its line shows
  // now (null for an image without a line): that line does not count
  // against it.
  std::string Make(const std::string& name, const std::string* own = nullptr);
  void Add(const std::string& label);
  void Remove(const std::string& label);
  void Clear();

 private:
  bool ShownByOthers(const std::string& label, const std::string* own) const;

  // Label -> number of lines showing it.
  std::unordered_map<std::string, int> _shown;
  // Name -> a k such that every "name <j>" with j < k is shown: the search
  // for the smallest free number starts there. Lowered when such a label
  // stops being shown.
  std::unordered_map<std::string, int> _firstFree;
};
