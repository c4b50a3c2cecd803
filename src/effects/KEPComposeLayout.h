#pragma once

// The six numbers of a contact sheet, kept consistent as the user edits one
// pair of them: the sheet's size, the patch count across and down, and the
// patch size. The two "fixed" flags say which pair an edit may not change.
// Every setter refuses values below 1 (returns false, nothing changes).
class KEPComposeLayout {
 public:
  // A width x height sheet for `images` images: a square grid of the
  // smallest side that holds them all.
  void Init(int width, int height, int images);

  bool SetImageSize(int width, int height);
  bool SetPatchSize(int width, int height);
  bool SetPatchCount(int across, int down);

  int width = 1, height = 1;
  int countX = 1, countY = 1;
  int patchWidth = 1, patchHeight = 1;
  bool imageSizeFixed = false;
  bool patchSizeFixed = false;

 private:
  // Fewer patches when they no longer fit the sheet.
  void ReduceCounts();
};
