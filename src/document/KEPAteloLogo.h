#pragma once

#include <QDialog>
#include <memory>
#include <string>

class KEPAtelIma;
class KEPAteloDocument;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSlider;

// The "Logo" set-up window: which picture is laid over the images (the
// built-in one, "Default", or an image file), in which corner, how large
// (relative to the logo itself or to the image), whether its background is
// keyed out, and whether it is merged into saved images. Each successful
// Apply gives the set-up a new id; an image whose logo carries another id
// gets its logo made again the next time it is shown.
class KEPAteloLogo : public QDialog {
  Q_OBJECT

 public:
  enum Position : int { TOP_LEFT = 0, BOTTOM_LEFT = 1, TOP_RIGHT = 2, BOTTOM_RIGHT = 3 };
  // Distance in pixels between the logo and the image's sides.
  static constexpr int kMargin = 10;

  KEPAteloLogo(KEPAteloDocument* document, const char* name);
  ~KEPAteloLogo() override;

  // Gives the image the logo of the current set-up, scaled and placed for
  // it (nothing when it has it already).
  virtual void LoadLogo(KEPAtelIma* image);
  virtual void UnloadLogo(KEPAtelIma* image);

  void OkAction();
  void HideAction();
  void DefaultAction();
  void OpenAction();
  void OkOpen(const std::string& name, const std::string& filter);
  void CancelOpen();
  void FileAction();
  void TranspAction();
  // Reads the controls into the set-up; 0 on success, 1 (error shown) when
  // the logo cannot be had, the set-up then staying as it was.
  int ReadLogo();

  int GetLogoId() const { return _logoId; }
  const KEPAtelIma* GetLogoImage() const { return _logoImage.get(); }
  int GetRatio() const { return _ratio; }
  int GetRatioMode() const { return _ratioMode; }
  int GetLogoPosition() const { return _logoPosition; }
  int GetTransparency() const { return _transparency; }
  int GetTranspThresh() const { return _transpThresh; }

  // The logo's size on an image: ratioMode 1 scales the logo itself, 0
  // fits the ratio of the image's height (or width, for an image narrower
  // than the logo in proportion). Integer arithmetic; never below 1 x 1.
  static void ScaledSize(int logoWidth, int logoHeight, int imageWidth, int imageHeight, int ratio,
                         int ratioMode, int& width, int& height);
  // Where the logo's lower-left pixel goes, in view coordinates, for an
  // image of origin (x, y).
  static void Place(int position, float originX, float originY, int imageWidth, int imageHeight,
                    int width, int height, int& x, int& y);

 private:
  // The built-in logo as an image record; null with errmsg filled.
  static std::unique_ptr<KEPAtelIma> ReadDefaultLogo();

  KEPAteloDocument* _document;  // not owned
  int _logoId = 0;
  std::unique_ptr<KEPAtelIma> _logoImage;
  std::string _loadedName;
  // The missing file last reported: the field also reports when it loses
  // the focus (another window, the program ending), and once is enough.
  std::string _reportedMissing;
  int _ratio = 100;
  int _ratioMode = 1;
  int _logoPosition = TOP_LEFT;
  int _transparency = 0;
  int _transpThresh = 100;

  QLineEdit* _fileVal = nullptr;
  QButtonGroup* _positions = nullptr;
  QRadioButton* _relativeLogoRad = nullptr;
  QRadioButton* _relativeImageRad = nullptr;
  QSlider* _ratioSlider = nullptr;
  QCheckBox* _bgTranspChk = nullptr;
  QSlider* _bgThreshSlider = nullptr;
  QComboBox* _mergeCmb = nullptr;
};
