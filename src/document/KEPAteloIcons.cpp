#include "document/KEPAteloIcons.h"

QIcon KEPAteloIcon(const char* name) {
  (void)name;
  return QIcon();
}
