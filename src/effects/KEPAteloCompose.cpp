#include "effects/KEPAteloCompose.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "effects/KEPComposeSheet.h"
#include "image/KEPAtelIma.h"
#include "image/KEPAtelImaFormat.h"
#include "platform/KEPDialogParts.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPPrompt.h"
#include "platform/KEPTrace.h"
#include "platform/settings/KEPSettingsFile.h"
#include "platform/viewer/KEP2DCustomRep.h"
#include "platform/viewer/KEP2DRectangleGP.h"
#include "platform/viewer/KEP2DViewer.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"
#include "series/KEPAteloDocumentHost.h"

using KEPDialogParts::Named;

namespace {

// Cells outlined in the preview at most: enough to see the grid.
constexpr int kPreviewCells = 400;
constexpr int kColorViewerWidth = 24, kColorViewerHeight = 48;

QLineEdit* IntegerField(const char* name) {
  auto* field = Named(new QLineEdit, name);
  field->setMaximumWidth(80);
  return field;
}

class BusyCursor {
 public:
  explicit BusyCursor(KEPAteloDocumentHost* host) : _host(host) { _host->SetBusyCursor(true); }
  ~BusyCursor() { _host->SetBusyCursor(false); }

 private:
  KEPAteloDocumentHost* _host;
};

void Message(KEPAteloDocumentHost* host, const std::string& text) {
  host->RenderMessage(static_cast<int>(text.size()), text.c_str());
}

std::string Printf(const char* format, int a, int b) {
  char text[128];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

// The readable image types, as the file boxes list them.
std::vector<std::pair<std::string, std::string>> ReadableTypes() {
  KEPListPtrKEPAtelImaFormat formats;
  KEPAtelIma::GetFormatList(formats);
  std::vector<std::pair<std::string, std::string>> types;
  for (int i = 1; i <= formats.Size(); ++i) {
    std::unique_ptr<KEPAtelImaFormat> format(formats[i]);
    if (format->IsReadable())
      types.emplace_back(format->GetComment(), "*." + format->GetExtension());
  }
  return types;
}

std::string Setting(const char* key, const std::string& otherwise) {
  char value[1024];
  if (litfic(key, value, sizeof value) == 0 && value[0]) return value;
  return otherwise;
}

}  // namespace

KEPAteloCompose::KEPAteloCompose(KEPAteloDocumentHost* document, QWidget* parent)
    : QDialog(parent), _document(document) {
  KEP_TRACE(2, "(KEPAteloCompose::KEPAteloCompose)");
  setObjectName("composeDialog");
  setWindowTitle("Compose");
  auto* main = new QVBoxLayout(this);

  auto* image = Named(new QGroupBox("Image"), "imageFrame");
  auto* grid = new QGridLayout(image);
  _imageWidthVal = IntegerField("imageWidthVal");
  _imageHeightVal = IntegerField("imageHeightVal");
  _patchNbWidthVal = IntegerField("patchNbWidthVal");
  _patchNbHeightVal = IntegerField("patchNbHeightVal");
  _patchWidthVal = IntegerField("patchWidthVal");
  _patchHeightVal = IntegerField("patchHeightVal");
  _imageSizeChk = Named(new QCheckBox("fixed"), "imageSizeChk",
                        "Image size not optimized when patch size modified");
  _patchSizeChk = Named(new QCheckBox("fixed"), "patchSizeChk",
                        "Patch size not optimized when image size modified");
  _patchClipChk = Named(new QCheckBox("Don't Zoom Patch"), "patchClipChk",
                        "Patches Are Not Zoomed To Fit Inside Patch Area");
  struct Row {
    const char* title;
    const char* first;
    QLineEdit* a;
    const char* second;
    QLineEdit* b;
    QCheckBox* check;
  };
  const Row rows[] = {
      {"Composition Size", "Width :", _imageWidthVal, "Height :", _imageHeightVal, _imageSizeChk},
      {"Patch Count", "Horizontal :", _patchNbWidthVal, "Vertical :", _patchNbHeightVal, nullptr},
      {"Patch Size", "Width :", _patchWidthVal, "Height :", _patchHeightVal, _patchSizeChk},
  };
  int line = 0;
  for (const Row& row : rows) {
    grid->addWidget(new QLabel(row.title), line, 0);
    grid->addWidget(new QLabel(row.first), line, 1);
    grid->addWidget(row.a, line, 2);
    grid->addWidget(new QLabel(row.second), line, 3);
    grid->addWidget(row.b, line, 4);
    if (row.check) grid->addWidget(row.check, line, 5);
    ++line;
  }
  grid->addWidget(_patchClipChk, line++, 0, 1, 6);
  _previewViewer = new KEP2DViewer(image, 200, 120);
  _previewViewer->setObjectName("2DPreviewViewer");
  _previewViewer->setToolTip("Preview Viewer");
  _previewViewer->setMinimumSize(200, 120);
  _layoutRep = std::make_unique<KEP2DCustomRep>();
  _previewViewer->AddRep(_layoutRep.get());
  grid->addWidget(_previewViewer, line, 0, 1, 6);
  main->addWidget(image);

  auto* background = Named(new QGroupBox("Background"), "backgroundFrame");
  auto* bgBox = new QGridLayout(background);
  _bgFileVal = Named(new QLineEdit, "bgFileVal");
  auto* browse = Named(new QPushButton("..."), "bgFileBtn", "Browse File System");
  _bgFitChk = Named(new QCheckBox("Fit to Image"), "bgFitChk",
                    "Background Image Is Zoomed To Fit Inside Image");
  bgBox->addWidget(new QLabel("File Name :  "), 0, 0);
  bgBox->addWidget(_bgFileVal, 0, 1, 1, 3);
  bgBox->addWidget(browse, 0, 4);
  bgBox->addWidget(_bgFitChk, 1, 0, 1, 5);
  const char* sliderNames[6] = {"topRedSlider",    "topGreenSlider",    "topBlueSlider",
                                "bottomRedSlider", "bottomGreenSlider", "bottomBlueSlider"};
  const char* spinnerNames[6] = {"topRedSpinner",    "topGreenSpinner",    "topBlueSpinner",
                                 "bottomRedSpinner", "bottomGreenSpinner", "bottomBlueSpinner"};
  const char* labels[3] = {"  Red : ", "  Green : ", "  Blue : "};
  for (int i = 0; i < 6; ++i) {
    const int row = 2 + (i / 3) * 4 + i % 3 + 1;
    if (i % 3 == 0) bgBox->addWidget(new QLabel(i < 3 ? "Top Color" : "Bottom Color"), row - 1, 0);
    _sliders[i] = Named(new QSlider(Qt::Horizontal), sliderNames[i]);
    _sliders[i]->setRange(0, 255);
    _spinners[i] = Named(new QSpinBox, spinnerNames[i]);
    _spinners[i]->setRange(0, 255);
    bgBox->addWidget(new QLabel(labels[i % 3]), row, 0);
    bgBox->addWidget(_sliders[i], row, 1, 1, 2);
    bgBox->addWidget(_spinners[i], row, 3);
    connect(_sliders[i], &QSlider::valueChanged, this,
            [this, i](int value) { ColorSliderAction(i, value); });
    connect(_spinners[i], qOverload<int>(&QSpinBox::valueChanged), this,
            [this, i](int value) { ColorSpinnerAction(i, value); });
  }
  _colorViewer = new KEP2DViewer(background, kColorViewerWidth * 2, kColorViewerHeight * 2);
  _colorViewer->setObjectName("bgColorViewer");
  _colorViewer->setMinimumSize(kColorViewerWidth * 2, kColorViewerHeight * 2);
  _colorPixels.assign(static_cast<std::size_t>(kColorViewerWidth) * kColorViewerHeight * 4, 0);
  _colorRep = std::make_unique<KEPCatalog2DImagePixelRep>(
      _colorPixels.data(), kColorViewerWidth, kColorViewerHeight, -0.5f * kColorViewerWidth,
      -0.5f * kColorViewerHeight);
  _colorViewer->AddRep(_colorRep.get());
  _colorViewer->SetNavigation(false);
  bgBox->addWidget(_colorViewer, 2, 4, 8, 1);
  main->addWidget(background);

  auto* ok = Named(new QPushButton("  OK  "), "okBtn");
  auto* cancel = Named(new QPushButton("Cancel"), "cancelBtn");
  KEPDialogParts::AddSpreadButtons(main, {ok, cancel});

  for (QLineEdit* field : {_imageWidthVal, _imageHeightVal})
    connect(field, &QLineEdit::editingFinished, this, &KEPAteloCompose::ImageSizeAction);
  for (QLineEdit* field : {_patchNbWidthVal, _patchNbHeightVal})
    connect(field, &QLineEdit::editingFinished, this, &KEPAteloCompose::PatchCountAction);
  for (QLineEdit* field : {_patchWidthVal, _patchHeightVal})
    connect(field, &QLineEdit::editingFinished, this, &KEPAteloCompose::PatchSizeAction);
  connect(_imageSizeChk, &QCheckBox::toggled, this, &KEPAteloCompose::ImageSizeChkAction);
  connect(_patchSizeChk, &QCheckBox::toggled, this, &KEPAteloCompose::PatchSizeChkAction);
  connect(_patchClipChk, &QCheckBox::toggled, this, &KEPAteloCompose::PatchClipChkAction);
  connect(_bgFileVal, &QLineEdit::editingFinished, this, &KEPAteloCompose::BgFileAction);
  connect(browse, &QPushButton::clicked, this, &KEPAteloCompose::BgFileBtnAction);
  connect(_bgFitChk, &QCheckBox::toggled, this, &KEPAteloCompose::BgFitChkAction);
  connect(ok, &QPushButton::clicked, this, &KEPAteloCompose::OkAction);
  connect(cancel, &QPushButton::clicked, this, &KEPAteloCompose::HideAction);

  for (int i = 0; i < 6; ++i) {
    QSignalBlocker a(_sliders[i]), b(_spinners[i]);
    _sliders[i]->setValue(_colors[i]);
    _spinners[i]->setValue(_colors[i]);
  }
  UpdateColorViewer();
}

KEPAteloCompose::~KEPAteloCompose() {
  KEP_TRACE(2, "(KEPAteloCompose::~KEPAteloCompose)");
}

void KEPAteloCompose::Init() {
  int width = 0, height = 0;
  if (KEPAtelIma* image = _document->GetPosImage(0))
    image->GetSize(width, height);
  else
    _document->GetVisuSize(width, height);
  _layout.Init(width, height, _document->GetNbrImage());
  ShowValues();
  UpdatePreview();
}

void KEPAteloCompose::GetColors(int top[3], int bottom[3]) const {
  std::copy(_colors, _colors + 3, top);
  std::copy(_colors + 3, _colors + 6, bottom);
}

int KEPAteloCompose::FieldValue(const QLineEdit* field) {
  bool ok = false;
  const int value = field->text().trimmed().toInt(&ok);
  return ok && value >= 1 && value <= KEPAtelIma::kMaxSide ? value : 0;
}

void KEPAteloCompose::ShowValues() {
  const std::pair<QLineEdit*, int> values[] = {
      {_imageWidthVal, _layout.width},      {_imageHeightVal, _layout.height},
      {_patchNbWidthVal, _layout.countX},   {_patchNbHeightVal, _layout.countY},
      {_patchWidthVal, _layout.patchWidth}, {_patchHeightVal, _layout.patchHeight}};
  for (const auto& [field, value] : values) {
    QSignalBlocker block(field);
    field->setText(QString::number(value));
  }
}

// --- the six values ------------------------------------------------------------------

void KEPAteloCompose::ImageSizeAction() {
  const int width = FieldValue(_imageWidthVal), height = FieldValue(_imageHeightVal);
  if (width && height) _layout.SetImageSize(width, height);
  ShowValues();
  UpdatePreview();
}

void KEPAteloCompose::PatchCountAction() {
  const int across = FieldValue(_patchNbWidthVal), down = FieldValue(_patchNbHeightVal);
  if (across && down) _layout.SetPatchCount(across, down);
  ShowValues();
  UpdatePreview();
}

void KEPAteloCompose::PatchSizeAction() {
  const int width = FieldValue(_patchWidthVal), height = FieldValue(_patchHeightVal);
  if (width && height) _layout.SetPatchSize(width, height);
  ShowValues();
  UpdatePreview();
}

void KEPAteloCompose::ImageSizeChkAction(bool on) {
  _layout.imageSizeFixed = on;
}

void KEPAteloCompose::PatchSizeChkAction(bool on) {
  _layout.patchSizeFixed = on;
}

void KEPAteloCompose::PatchClipChkAction(bool on) {
  _clip = on;
}

void KEPAteloCompose::UpdatePreview() {
  KEPCompose::Grid grid{_layout.width,  _layout.height,     _layout.countX,
                        _layout.countY, _layout.patchWidth, _layout.patchHeight};
  KEPCompose::ComputeGaps(grid);
  _layoutRep->RemoveAllPrimitives();
  _layoutRep->AddPrimitive(std::make_unique<KEP2DRectangleGP>(
      KEPMathPoint2Df(0, 0),
      KEPMathPoint2Df(static_cast<float>(grid.width), static_cast<float>(grid.height))));
  const int cells = std::min(grid.countX * grid.countY, kPreviewCells);
  for (int k = 0; k < cells; ++k) {
    int x = 0, y = 0;
    KEPCompose::PatchPosition(grid, k, grid.patchWidth, grid.patchHeight, x, y);
    _layoutRep->AddPrimitive(std::make_unique<KEP2DRectangleGP>(
        KEPMathPoint2Df(static_cast<float>(x), static_cast<float>(y)),
        KEPMathPoint2Df(static_cast<float>(x + grid.patchWidth),
                        static_cast<float>(y + grid.patchHeight))));
  }
  float viewWidth = 0, viewHeight = 0;
  _previewViewer->GetGraphicSize(viewWidth, viewHeight);
  const float zoom =
      KEP2DViewer::FitZoom(viewWidth * 0.9f, viewHeight * 0.9f, grid.width, grid.height);
  _previewViewer->Reframe(KEPMathPoint2Df(0.5f * grid.width, 0.5f * grid.height),
                          zoom > 0 ? zoom : 1.0f);
  _previewViewer->Redraw();
}

// --- background --------------------------------------------------------------------------

void KEPAteloCompose::BgFileAction() {
  std::string name = _bgFileVal->text().trimmed().toStdString();
  if (name.empty()) {
    _bgFile.clear();
    return;
  }
  if (litextension(name.c_str()).empty()) {
    char completed[4096];
    std::snprintf(completed, sizeof completed, "%s.%s", name.c_str(), "tif");
    name = completed;
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(name, error)) {
    char text[KEP_ERRMSG_SIZE];
    KEPFormatError(text, "File '%s' not found.", name.c_str());
    KEPPrompt::Warn(this, "warnDlg", _document->GetTitle(), text);
    QSignalBlocker block(_bgFileVal);
    _bgFileVal->setText(QString::fromStdString(_bgFile));
    return;
  }
  OkBgFile(name);
}

void KEPAteloCompose::BgFileBtnAction() {
  const char* home = std::getenv("HOME");
  char picture[4096];
  std::snprintf(picture, sizeof picture, "%s%cdb%cpicture", home ? home : "", '/', '/');
  KEPFileBoxRequest request{"bgFileBox",
                            "Open Background File",
                            Setting("DEF_READ", picture),
                            ReadableTypes(),
                            Setting("DEF_FILT", "*.*"),
                            false,
                            false};
  KEPFileBoxAnswer answer = KEPPrompt::ChooseFiles(this, request);
  if (answer.accepted && !answer.files.empty()) OkBgFile(answer.files.front());
}

void KEPAteloCompose::OkBgFile(const std::string& name) {
  const std::string extension = litextension(name.c_str());
  if (!KEPAtelIma::CanReadFormat(extension.empty() ? "tif" : extension.c_str())) {
    char text[KEP_ERRMSG_SIZE];
    KEPFormatError(text, "Image type '%s' not supported on open", extension.c_str());
    KEPPrompt::Warn(this, "warnDlg", _document->GetTitle(), text);
    return;
  }
  _bgFile = name;
  QSignalBlocker block(_bgFileVal);
  _bgFileVal->setText(QString::fromStdString(name));
}

void KEPAteloCompose::BgFitChkAction(bool on) {
  _fit = on;
}

void KEPAteloCompose::ColorSliderAction(int index, int value) {
  _colors[index] = value;
  QSignalBlocker block(_spinners[index]);
  _spinners[index]->setValue(value);
  UpdateColorViewer();
}

void KEPAteloCompose::ColorSpinnerAction(int index, int value) {
  _colors[index] = value;
  QSignalBlocker block(_sliders[index]);
  _sliders[index]->setValue(value);
  UpdateColorViewer();
}

void KEPAteloCompose::UpdateColorViewer() {
  KEPCompose::FillGradient(_colorPixels.data(), kColorViewerWidth, kColorViewerHeight, _colors,
                           _colors + 3);
  _colorRep->UpdatePixels();
  const float zoom = KEP2DViewer::FitZoom(static_cast<float>(_colorViewer->width()),
                                          static_cast<float>(_colorViewer->height()),
                                          kColorViewerWidth, kColorViewerHeight);
  _colorViewer->Reframe(KEPMathPoint2Df(0, 0), zoom > 0 ? zoom : 1.0f);
  _colorViewer->Redraw();
}

// --- composing ---------------------------------------------------------------------------

void KEPAteloCompose::OkAction() {
  KEP_TRACE(4, "(KEPAteloCompose::OkAction)");
  const KEPComposeLayout& l = _layout;
  if (!l.width || !l.height || !l.countX || !l.countY || !l.patchWidth || !l.patchHeight) {
    KEPPrompt::Warn(this, "warnDlg", _document->GetTitle(), "You must specifiy all image values");
    return;
  }
  hide();
  BusyCursor busy(_document);
  const int before = _document->GetNbrImage();
  _document->RenderNew("", 10, 0, l.width, l.height);
  // A failure is told by the document.
  if (_document->GetNbrImage() != before + 1) return;
  Message(_document, "\nStarting image composing:\n\n");
  Message(_document, Printf("Image size is (%d,%d)\n", l.width, l.height));
  Message(_document, Printf("patch number is (%d,%d)\n", l.countX, l.countY));
  Message(_document, Printf("patch size is (%d,%d)\n", l.patchWidth, l.patchHeight));

  KEPAtelIma work(KEPAtelIma::STATE_IN_MEMORY, 0u);
  if (work.AllocatePixels(l.width, l.height) != 0) {
    KEPFormatError(errmsg, "Image allocation failed.");
    _document->RenderEnd();
    _document->DisplayError();
    return;
  }
  std::vector<KEPAtelIma*> images;
  for (int position = 1; position <= before; ++position)
    images.push_back(_document->GetPosImage(position));
  KEPComposeSheet::Options options;
  options.grid = {l.width, l.height, l.countX, l.countY, l.patchWidth, l.patchHeight};
  options.clip = _clip;
  options.fit = _fit;
  options.background = _bgFile;
  GetColors(options.top, options.bottom);
  KEPComposeSheet::Build(
      work, images, options, [this](const std::string& text) { Message(_document, text); },
      [this](const char* text) {
        KEPFormatError(errmsg, "%s", text);
        _document->DisplayError();
      });
  _document->RenderDisp(0, 0, l.width, l.height, static_cast<unsigned>(work.GetMemorySize()),
                        work.GetPixels());
  Message(_document, "Image composing done.\n");
  _document->RenderEnd();
}

void KEPAteloCompose::HideAction() {
  hide();
}

void KEPAteloCompose::reject() {
  HideAction();
}
