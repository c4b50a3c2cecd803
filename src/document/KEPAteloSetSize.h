#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;

// The Set Size window shared by New ("New Image") and Resize ("Resize
// Image"): a width, a height and a ratio in percent of the size the window
// was opened with, kept in step with one another. Apply hands the size to
// the document (with whether a new image is wanted).
class KEPAteloSetSize : public QDialog {
  Q_OBJECT

 public:
  using ApplyFunction = std::function<void(int width, int height, bool newImage)>;

  KEPAteloSetSize(QWidget* parent, ApplyFunction apply);

  // The size the window starts from; width, height and ratio follow it.
  void UpdateSize(int width, int height);
  // The ratio shown when width and height are the same percentage of the
  // starting size, else none.
  void UpdateRatio();
  // Apply makes a new image until it is pressed or the mode cleared.
  void NewImage() { _newImage = true; }
  void ClearNewImage() { _newImage = false; }
  bool IsNewImage() const { return _newImage; }

  int GetWidth() const { return _width; }
  int GetHeight() const { return _height; }
  int GetRatio() const { return _ratio; }

  void SetWidthAction();
  void SetHeightAction();
  void SetRatioAction();
  void OkAction();
  void HideAction();

 protected:
  void reject() override;

 private:
  // Reads an edited size; false (the field rewritten) for a value below 1 or
  // beyond what an image can hold.
  bool ReadSize(QLineEdit* field, int& value);
  static void Show(QLineEdit* field, int value);

  ApplyFunction _apply;
  int _width = 0, _height = 0;
  int _ratio = 0;
  int _startWidth = 0, _startHeight = 0;
  bool _newImage = false;
  QLineEdit* _widthValue = nullptr;
  QLineEdit* _heightValue = nullptr;
  QLineEdit* _ratioValue = nullptr;
};
