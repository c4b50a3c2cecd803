#pragma once

#include <QColor>
#include <QFrame>

// A flat colour in an analysis window.
class KEPAnalysisSwatch : public QFrame {
 public:
  KEPAnalysisSwatch(const char* name, int width, int height);

  void SetColour(int red, int green, int blue);
  QColor GetColour() const { return _colour; }

 private:
  QColor _colour;
};
