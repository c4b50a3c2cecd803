#include "document/KEPAteloLogo.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "document/KEPAteloDefaultLogo.h"
#include "document/KEPAteloDocument.h"
#include "document/KEPAteloFileTypes.h"
#include "document/KEPAteloIcons.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPDialogParts.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPPrompt.h"
#include "platform/KEPTrace.h"
#include "platform/settings/KEPSettingsFile.h"

using KEPDialogParts::Named;

namespace {

const char kDefault[] = "Default";

std::string TrimRight(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text;
}

bool FileExists(const std::string& name) {
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file) std::fclose(file);
  return file != nullptr;
}

}  // namespace

KEPAteloLogo::KEPAteloLogo(KEPAteloDocument* document, const char* name)
    : QDialog(document), _document(document) {
  KEP_TRACE(2, "(KEPAteloLogo::KEPAteloLogo) %s", name);
  setObjectName(name);
  setWindowTitle("Logo");
  char value[64];
  if (litfic("DEF_TRSTHRESHOLD", value, sizeof value) == 0) {
    char* end = nullptr;
    long threshold = std::strtol(value, &end, 10);
    if (end != value) _transpThresh = static_cast<int>(std::clamp(threshold, 1L, 255L));
  }

  auto* main = new QVBoxLayout(this);
  auto* fileFrame = Named(new QGroupBox, "fileFrame");
  auto* fileRow = new QHBoxLayout(fileFrame);
  fileRow->addWidget(Named(new QLabel("File Name :"), "fileLbl"));
  _fileVal = Named(new QLineEdit(kDefault), "fileVal");
  fileRow->addWidget(_fileVal, 1);
  auto* fileBtn = Named(new QPushButton("..."), "fileBtn");
  fileBtn->setIcon(KEPAteloIcon("i3std002"));
  fileBtn->setToolTip("Browse File System");
  fileRow->addWidget(fileBtn);
  main->addWidget(fileFrame);

  auto* posFrame = Named(new QGroupBox("Position"), "posFrame");
  auto* posGrid = new QHBoxLayout(posFrame);
  _positions = new QButtonGroup(this);
  const std::pair<const char*, const char*> kCorners[] = {{"topLeftRad", " Top - Left     "},
                                                          {"bottomLeftRad", " Bottom - Left  "},
                                                          {"topRightRad", " Top - Right    "},
                                                          {"bottomRightRad", " Bottom - Right "}};
  for (int i = 0; i < 4; ++i) {
    auto* radio = Named(new QRadioButton(kCorners[i].second), kCorners[i].first);
    _positions->addButton(radio, i);
    posGrid->addWidget(radio);
  }
  _positions->button(TOP_LEFT)->setChecked(true);
  main->addWidget(posFrame);

  auto* ratioFrame = Named(new QGroupBox("Size Ratio"), "ratioFrame");
  auto* ratioBox = new QVBoxLayout(ratioFrame);
  _ratioSlider = Named(new QSlider(Qt::Horizontal), "ratioSlider");
  _ratioSlider->setRange(1, 100);
  _ratioSlider->setValue(_ratio);
  _ratioSlider->setToolTip("Ratio In Percentage");
  ratioBox->addWidget(_ratioSlider);
  auto* relativeFrame = Named(new QWidget, "relativeRadioFrame");
  auto* relativeRow = new QHBoxLayout(relativeFrame);
  _relativeLogoRad = Named(new QRadioButton(" Relative to Original Logo"), "relativeLogoRad");
  _relativeImageRad = Named(new QRadioButton(" Relative to Overall Image"), "relativeImageRad");
  _relativeLogoRad->setChecked(true);
  relativeRow->addWidget(_relativeLogoRad);
  relativeRow->addWidget(_relativeImageRad);
  ratioBox->addWidget(relativeFrame);
  main->addWidget(ratioFrame);

  auto* bgFrame = Named(new QGroupBox("Background"), "bgFrame");
  auto* bgRow = new QHBoxLayout(bgFrame);
  _bgTranspChk = Named(new QCheckBox("Transparent"), "bgTranspChk");
  _bgTranspChk->setToolTip("Activate/Deactivate Transparency");
  bgRow->addWidget(_bgTranspChk);
  bgRow->addWidget(Named(new QLabel("   Threshold  "), "bgThreshLbl"));
  _bgThreshSlider = Named(new QSlider(Qt::Horizontal), "bgThreshSlider");
  _bgThreshSlider->setRange(1, 255);
  _bgThreshSlider->setValue(_transpThresh);
  _bgThreshSlider->setToolTip("Maximum Offset With Background Color");
  _bgThreshSlider->setEnabled(false);
  bgRow->addWidget(_bgThreshSlider, 1);
  main->addWidget(bgFrame);

  _mergeCmb = Named(new QComboBox, "mergeCmb");
  _mergeCmb->addItems({"Never Merge Logo in Image When Saving ",
                       "Ask If Merge Logo in Image When Saving",
                       "Always Merge Logo in Image When Saving"});
  _mergeCmb->setCurrentIndex(std::clamp(document->GetMergeLogoMode(), 0, 2));
  main->addWidget(_mergeCmb);

  auto* buttons = new QHBoxLayout;
  auto* ok = Named(new QPushButton("Apply "), "okBtn");
  auto* cancel = Named(new QPushButton("Close "), "cancelBtn");
  auto* reset = Named(new QPushButton(kDefault), "defaultBtn");
  for (QPushButton* button : {ok, cancel, reset}) buttons->addWidget(button);
  main->addLayout(buttons);

  connect(ok, &QPushButton::clicked, this, &KEPAteloLogo::OkAction);
  connect(cancel, &QPushButton::clicked, this, &KEPAteloLogo::HideAction);
  connect(reset, &QPushButton::clicked, this, &KEPAteloLogo::DefaultAction);
  connect(fileBtn, &QPushButton::clicked, this, &KEPAteloLogo::OpenAction);
  connect(_fileVal, &QLineEdit::editingFinished, this, &KEPAteloLogo::FileAction);
  connect(_bgTranspChk, &QCheckBox::toggled, this, &KEPAteloLogo::TranspAction);
}

KEPAteloLogo::~KEPAteloLogo() {
  KEP_TRACE(2, "(KEPAteloLogo::~KEPAteloLogo)");
}

// --- rules ----------------------------------------------------------------------------------

void KEPAteloLogo::ScaledSize(int logoWidth, int logoHeight, int imageWidth, int imageHeight,
                              int ratio, int ratioMode, int& width, int& height) {
  const long long lw = std::max(1, logoWidth), lh = std::max(1, logoHeight);
  const long long iw = std::max(1, imageWidth), ih = std::max(1, imageHeight);
  long long w, h;
  if (ratioMode == 1) {
    w = lw * ratio / 100;
    h = lh * ratio / 100;
  } else if (iw / ih >= lw / lh) {
    h = ih * ratio / 100;
    w = lw * h / lh;
  } else {
    w = iw * ratio / 100;
    h = lh * w / lw;
  }
  width = static_cast<int>(std::clamp<long long>(w, 1, KEPAtelIma::kMaxSide));
  height = static_cast<int>(std::clamp<long long>(h, 1, KEPAtelIma::kMaxSide));
}

void KEPAteloLogo::Place(int position, float originX, float originY, int imageWidth,
                         int imageHeight, int width, int height, int& x, int& y) {
  const bool left = position == TOP_LEFT || position == BOTTOM_LEFT;
  const bool top = position == TOP_LEFT || position == TOP_RIGHT;
  const float fx =
      left ? originX + kMargin : originX + static_cast<float>(imageWidth - (width + kMargin));
  const float fy =
      top ? originY + static_cast<float>(imageHeight - (height + kMargin)) : originY + kMargin;
  x = static_cast<int>(fx);
  y = static_cast<int>(fy);
}

// --- the logo on images -------------------------------------------------------------------

void KEPAteloLogo::LoadLogo(KEPAtelIma* image) {
  if (!image || !_logoImage || image->GetLogoId() == _logoId) return;
  int logoWidth = 0, logoHeight = 0, imageWidth = 0, imageHeight = 0;
  _logoImage->GetSize(logoWidth, logoHeight);
  image->GetSize(imageWidth, imageHeight);
  KEPImageLogo logo;
  ScaledSize(logoWidth, logoHeight, imageWidth, imageHeight, _ratio, _ratioMode, logo.width,
             logo.height);
  if (_logoImage->Resample(1, logo.width, logo.height, logo.pixels) != 0) {
    KEP_TRACE(6, "(KEPAteloLogo::LoadLogo) no %d x %d logo", logo.width, logo.height);
    return;
  }
  if (_transparency)
    KEPKeyLogoBackground(logo.pixels.data(), logo.width, logo.height, _transpThresh);
  float originX = 0, originY = 0;
  image->GetOrigin(originX, originY);
  Place(_logoPosition, originX, originY, imageWidth, imageHeight, logo.width, logo.height, logo.x,
        logo.y);
  logo.transparency = _transparency;
  logo.id = _logoId;
  image->SetLogo(std::move(logo));
}

void KEPAteloLogo::UnloadLogo(KEPAtelIma* image) {
  if (image) image->ClearLogo();
}

std::unique_ptr<KEPAtelIma> KEPAteloLogo::ReadDefaultLogo() {
  int width = 0, height = 0;
  if (!KEPAteloDefaultLogo::GetSize(width, height) || width > KEPAtelIma::kMaxSide ||
      height > KEPAtelIma::kMaxSide) {
    KEPFormatError(errmsg, "Default Logo not read (Couldn't determine size)");
    return nullptr;
  }
  std::vector<unsigned char> provided(static_cast<std::size_t>(width) * height * 4);
  auto logo =
      std::make_unique<KEPAtelIma>("./", kDefault, "tif", "", 0, KEPAtelIma::STATE_IN_MEMORY, 0u);
  if (!KEPAteloDefaultLogo::GetPixels(provided.data()) || logo->AllocatePixels(width, height)) {
    KEPFormatError(errmsg, "Default Logo not read (Couldn't get its pixels)");
    return nullptr;
  }
  // The provider gives the top row first and a leading unused byte.
  unsigned char* out = logo->GetPixels();
  for (int row = 0; row < height; ++row) {
    const unsigned char* in =
        provided.data() + static_cast<std::size_t>(height - 1 - row) * width * 4;
    for (int column = 0; column < width; ++column, in += 4, out += 4) {
      out[0] = in[1];
      out[1] = in[2];
      out[2] = in[3];
      out[3] = 255;
    }
  }
  logo->SetDone();
  return logo;
}

int KEPAteloLogo::ReadLogo() {
  KEP_TRACE(4, "(KEPAteloLogo::ReadLogo)");
  const std::string name = TrimRight(_fileVal->text().toStdString());
  if (!_logoImage || name != _loadedName) {
    std::unique_ptr<KEPAtelIma> logo;
    if (name == kDefault || name.empty()) {
      logo = ReadDefaultLogo();
    } else {
      logo = std::make_unique<KEPAtelIma>(name.c_str(), KEPAtelIma::STATE_FROM_FILE, 0u);
      int width = 0, height = 0;
      if (logo->LoadPixels(width, height, errmsg) != 0) logo.reset();
    }
    if (!logo) {
      // The logo in force stays: a name that cannot be read loses nothing.
      _document->DisplayError();
      return 1;
    }
    _logoImage = std::move(logo);
    _loadedName = name.empty() ? kDefault : name;
  }
  _logoPosition = std::max(0, _positions->checkedId());
  _ratioMode = _relativeLogoRad->isChecked() ? 1 : 0;
  _ratio = _ratioSlider->value();
  _transparency = _bgTranspChk->isChecked() ? 1 : 0;
  _transpThresh = _bgThreshSlider->value();
  _document->SetMergeLogoMode(std::max(0, _mergeCmb->currentIndex()));
  char value[32];
  std::snprintf(value, sizeof value, "%d", _transpThresh);
  ecritfic("DEF_TRSTHRESHOLD", value);
  ++_logoId;
  return 0;
}

// --- controls -------------------------------------------------------------------------------

void KEPAteloLogo::OkAction() {
  KEP_TRACE(4, "(KEPAteloLogo::OkAction)");
  if (ReadLogo() == 0) _document->CheckViewLogoItem();
}

void KEPAteloLogo::HideAction() {
  hide();
}

void KEPAteloLogo::DefaultAction() {
  _fileVal->setText(kDefault);
  _positions->button(TOP_LEFT)->setChecked(true);
  _ratioSlider->setValue(100);
  _relativeLogoRad->setChecked(true);
  _bgTranspChk->setChecked(false);
  _bgThreshSlider->setValue(100);
  _bgThreshSlider->setEnabled(false);
  _mergeCmb->setCurrentIndex(1);
}

void KEPAteloLogo::TranspAction() {
  _bgThreshSlider->setEnabled(_bgTranspChk->isChecked());
}

void KEPAteloLogo::FileAction() {
  std::string name = TrimRight(_fileVal->text().toStdString());
  if (name.empty()) name = kDefault;
  if (name != kDefault && litextension(name.c_str()).empty()) name += ".tif";
  if (_fileVal->text().toStdString() != name) _fileVal->setText(QString::fromStdString(name));
  if (name == kDefault || FileExists(name)) {
    _reportedMissing.clear();
  } else if (name != _reportedMissing) {
    _reportedMissing = name;
    KEPFormatError(errmsg, "File '%s' not found", name.c_str());
    _document->DisplayError();
  }
}

void KEPAteloLogo::OpenAction() {
  char value[1024];
  std::string directory;
  if (litfic("DEF_READ", value, sizeof value) == 0) {
    directory = value;
  } else {
    const char* home = std::getenv("HOME");
    directory = std::string(home ? home : "") + "/db/picture";
  }
  std::string filter = litfic("DEF_FILT", value, sizeof value) == 0 ? value : "*.tif";
  KEPFileBoxAnswer answer = KEPPrompt::ChooseFiles(
      this, {"open", "Open Logo File", directory, OpenFileTypes(), filter, false, false});
  if (answer.accepted && !answer.files.empty())
    OkOpen(answer.files.front(), answer.filter);
  else
    CancelOpen();
}

void KEPAteloLogo::OkOpen(const std::string& selected, const std::string& filter) {
  std::string name = selected;
  std::string extension = litextension(name.c_str());
  if (extension.empty()) {
    extension = litextension(filter.c_str());
    if (extension.empty() || extension.find_first_of("*?[") != std::string::npos) extension = "tif";
    name += "." + extension;
  }
  if (!KEPAtelIma::CanReadFormat(extension.c_str())) {
    KEPPrompt::Warn(this, "warnDlg", _document->GetTitle(), "Image type not supported");
    return;
  }
  _fileVal->setText(QString::fromStdString(name));
}

void KEPAteloLogo::CancelOpen() {}
