#pragma once

#include <iterator>
#include <random>
#include <string>

// A well-formed text damaged at random, as a disk, an editor or a careless
// script leaves it: bytes changed, pieces cut or doubled, NULs, carriage
// returns, separators and huge numbers put in.
inline std::string Damaged(const std::string& good, std::mt19937& random) {
  static const std::string pieces[] = {std::string(1, '\0'),
                                       "\r",
                                       "\n",
                                       "=",
                                       "==",
                                       "99999999999999999999",
                                       "-1",
                                       "\xff",
                                       " ",
                                       "#",
                                       "DEF_SPLITSIZE=",
                                       "EDIT_TOOLBAR=",
                                       "LAST_FILE2=",
                                       "\n\n\n"};
  std::string text = good;
  const int edits = 1 + static_cast<int>(random() % 8);
  for (int e = 0; e < edits && !text.empty(); ++e) {
    const std::size_t at = random() % text.size();
    switch (random() % 4) {
      case 0:
        text[at] = static_cast<char>(random());
        break;
      case 1:
        text.insert(at, pieces[random() % std::size(pieces)]);
        break;
      case 2:
        text.erase(at, random() % 12);
        break;
      default:
        text.insert(at, text.substr(at, random() % 40));
    }
  }
  return text;
}
