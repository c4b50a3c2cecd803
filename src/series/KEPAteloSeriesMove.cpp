// Moving lines of the series up and down.
#include <QListWidget>
#include <QSignalBlocker>
#include <algorithm>

#include "platform/KEPTrace.h"
#include "series/KEPAteloSeries.h"
#include "series/KEPAteloSeriesHost.h"

void KEPAteloSeries::MoveImage(int from, int to) {
  auto begin = _images.begin();
  if (from < to) {
    std::rotate(begin + (from - 1), begin + from, begin + to);
  } else {
    std::rotate(begin + (to - 1), begin + (from - 1), begin + from);
  }
  QSignalBlocker block(_list);
  QListWidgetItem* item = _list->takeItem(from - 1);
  _list->insertItem(to - 1, item);
}

int KEPAteloSeries::MoveOne(KEPAtelIma* image, bool up) {
  const int count = GetNbrImage();
  const int position = LocateImage(image);
  if (!position || count < 2) return 1;
  if (up) {
    if (position == 1) {
      MoveImage(1, count);
      return 0;
    }
    return SwapImages(position - 1, position);
  }
  if (position == count) {
    MoveImage(count, 1);
    return 0;
  }
  return SwapImages(position, position + 1);
}

int KEPAteloSeries::MoveMulti(std::span<const int> positions, bool up) {
  std::vector<KEPAtelIma*> moved;
  for (int position : positions) {
    if (KEPAtelIma* image = GetPosImage(position)) moved.push_back(image);
  }
  if (moved.empty()) return 1;
  KEPAtelIma* current = GetCurImage();
  int result = 0;
  if (static_cast<int>(moved.size()) == GetNbrImage()) {
    // The whole series turns; in stereo by a pair so that eyes stay matched.
    const int steps = _host->IsStereoActivate() ? 2 : 1;
    for (int s = 0; s < steps && result == 0; ++s) {
      result = MoveOne(up ? _images.front().get() : _images.back().get(), up);
    }
  } else {
    // Going down, the lowest line moves first so that a block of lines
    // moves as a block instead of lines swapping among themselves.
    std::vector<KEPAtelIma*> order = moved;
    if (!up) std::reverse(order.begin(), order.end());
    for (KEPAtelIma* image : order) {
      result = MoveOne(image, up);
      if (result) break;
    }
  }
  _current = LocateImage(current);
  std::vector<int> selection;
  for (KEPAtelIma* image : moved) selection.push_back(LocateImage(image));
  std::sort(selection.begin(), selection.end());
  SetSelectedPositions(selection);
  UpdateButtons();
  return result;
}

int KEPAteloSeries::UpSingle(int position) {
  const int one[] = {position};
  return MoveMulti(one, true);
}

int KEPAteloSeries::DownSingle(int position) {
  const int one[] = {position};
  return MoveMulti(one, false);
}

int KEPAteloSeries::UpMulti(std::span<const int> positions) {
  return MoveMulti(positions, true);
}

int KEPAteloSeries::DownMulti(std::span<const int> positions) {
  return MoveMulti(positions, false);
}

void KEPAteloSeries::UpAction() {
  KEP_TRACE(4, "(KEPAteloSeries::UpAction)\n");
  std::vector<int> selected = GetSelectedPositions();
  if (!selected.empty()) UpMulti(selected);
}

void KEPAteloSeries::DownAction() {
  KEP_TRACE(4, "(KEPAteloSeries::DownAction)\n");
  std::vector<int> selected = GetSelectedPositions();
  if (!selected.empty()) DownMulti(selected);
}
