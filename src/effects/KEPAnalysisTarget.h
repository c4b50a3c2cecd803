#pragma once

#include <functional>
#include <vector>

#include "effects/KEPAnalysisArea.h"

class KEPAtelIma;
class KEPAteloDocumentHost;

// The document picture an analysis window works on while it is open: the
// current image (and its stereo companion of the same size, treated alike),
// their pixels as they were at opening, and the area the selection gives.
// Previews and the final result are written from the kept pixels, so the
// picture can always be put back.
class KEPAnalysisTarget {
 public:
  // The analysis from the kept pixels into the picture's pixels (both
  // width x height).
  using Analysis = std::function<void(const unsigned char* kept, unsigned char* pixels, int width,
                                      int height, const KEPAnalysisArea& area)>;

  explicit KEPAnalysisTarget(KEPAteloDocumentHost* host) : _host(host) {}

  // Takes the document's current image: its undo copy is made (erasable),
  // its pixels kept. False without a current image in memory.
  bool Open();
  bool IsOpen() const { return !_pictures.empty(); }
  // Forgets the pictures and frees the kept pixels, writing nothing.
  void Close();
  // Whether the image is one of the pictures worked on.
  bool Holds(const KEPAtelIma* image) const;

  KEPAtelIma* GetImage() const { return _pictures.empty() ? nullptr : _pictures[0].image; }
  const unsigned char* GetKeptPixels() const;
  int GetWidth() const { return _width; }
  int GetHeight() const { return _height; }
  const KEPAnalysisArea& GetArea() const { return _area; }

  // Runs the analysis on every picture (skipping one whose pixels are no
  // longer there or changed size) and shows the change.
  void Apply(const Analysis& analysis);
  // Puts the kept pixels back and shows them.
  void Restore();

  // The area reduced to the control size: its pixels and its examined
  // pixels.
  void MakeControl(std::vector<unsigned char>& pixels, KEPAnalysisArea& area, int& width,
                   int& height) const;

 private:
  struct Picture {
    KEPAtelIma* image;
    std::vector<unsigned char> kept;
  };
  // The picture's pixels if they are still there at the size kept, else
  // null.
  unsigned char* LivePixels(const Picture& picture) const;
  void Redisplay();

  KEPAteloDocumentHost* _host;
  std::vector<Picture> _pictures;
  int _width = 0, _height = 0;
  KEPAnalysisArea _area;
};
