#include "image/KEPAtelImaFormat.h"

KEPAtelImaFormat::KEPAtelImaFormat(const char* extension, const char* second, const char* comment,
                                   int flags) {
  Init(extension, second, comment, flags);
}

void KEPAtelImaFormat::Init(const char* extension, const char* second, const char* comment,
                            int flags) {
  _extension = extension ? extension : "";
  _second = second ? second : "";
  _comment = comment ? comment : "";
  _flags = flags;
}
