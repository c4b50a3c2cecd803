#include "effects/KEPAnalysisSwatch.h"

#include <QPalette>

KEPAnalysisSwatch::KEPAnalysisSwatch(const char* name, int width, int height) {
  setObjectName(name);
  setFixedSize(width, height);
  setFrameShape(QFrame::Box);
  setAutoFillBackground(true);
  SetColour(0, 0, 0);
}

void KEPAnalysisSwatch::SetColour(int red, int green, int blue) {
  _colour = QColor(red, green, blue);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, _colour);
  setPalette(palette);
}
