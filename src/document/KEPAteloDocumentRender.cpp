// Showing images in the viewer and receiving them from the renderer.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "document/KEPAteloDocument.h"
#include "document/KEPAteloFileTypes.h"
#include "document/KEPAteloWindowRules.h"
#include "image/KEPAtelIma.h"
#include "image/KEPImageMemory.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPPrompt.h"
#include "platform/KEPTrace.h"
#include "platform/settings/KEPSettingsFile.h"
#include "platform/viewer/KEP2DIndicator.h"
#include "platform/viewer/KEP2DViewer.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"
#include "series/KEPAteloSeries.h"

namespace {

// The viewer centres an image on the view origin; a half pixel goes to the
// even neighbour so that patches and the whole image agree on placement.
float CentredOrigin(int size) {
  return std::nearbyint(-0.5f * static_cast<float>(size));
}

}  // namespace

// --- display -----------------------------------------------------------------------

void KEPAteloDocument::ConfigDisplay(int mode) {
  // A batch run stays a batch run whatever the renderer sends: leaving mode
  // 3 would stop the saving, the printing and the end at "END_DISP".
  if (_modAff == MODE_RENDER_VISU_OFF) return;
  _modAff = mode == 10 ? MODE_PICTURE : MODE_RENDER;
}

KEPAtelIma* KEPAteloDocument::GetPosImage(int position) const {
  return position == 0 ? _series->GetCurImage() : _series->GetPosImage(position);
}

int KEPAteloDocument::GetNbrImage() const {
  return _series->GetNbrImage();
}

void KEPAteloDocument::GetVisuSize(int& width, int& height) const {
  width = _visuWidth;
  height = _visuHeight;
}

void KEPAteloDocument::SetVisuSize(int width, int height) {
  _visuWidth = width;
  _visuHeight = height;
}

void KEPAteloDocument::LinkImageToViewer(KEPAtelIma* image) {
  if (!image) return;
  int width = 0, height = 0;
  image->GetSize(width, height);
  image->SetOrigin(CentredOrigin(width), CentredOrigin(height));
}

void KEPAteloDocument::DropImageRep() {
  if (_imageRep && _viewerIndicator) _viewerIndicator->RemoveRepToManipulate(_imageRep.get());
  if (_imageRep && _viewer) _viewer->RemoveRep(_imageRep.get());
  _imageRep.reset();
  _repImage = nullptr;
  _view.repPartner = nullptr;
  HideLogoRep();
}

KEPCatalog2DImagePixelRep* KEPAteloDocument::CreateImageRep(KEPAtelIma* image) {
  if (!image || !image->GetPixels()) return nullptr;
  int width = 0, height = 0;
  image->GetSize(width, height);
  LinkImageToViewer(image);
  float x = 0, y = 0;
  image->GetOrigin(x, y);
  // The buffer may have been replaced or resized since the representation
  // was made: the representation always points at the current one.
  if (_repImage != image) {
    if (IsStereoActivate() && !StereoRepAllowed(image)) return nullptr;
    DropImageRep();
    _imageRep = std::make_unique<KEPCatalog2DImagePixelRep>();
    _repImage = image;
    _viewer->AddRep(_imageRep.get());
  }
  // Setting the same buffer again would throw away the viewer's reduced
  // copies of it for nothing.
  int shownWidth = 0, shownHeight = 0;
  _imageRep->GetSize(shownWidth, shownHeight);
  if (_imageRep->GetPixels() != image->GetPixels() || shownWidth != width || shownHeight != height)
    _imageRep->SetPixels(image->GetPixels(), width, height);
  _imageRep->SetOrigin(x, y);
  // Alpha shows: over the background when there is one, else over a
  // checkerboard.
  _imageRep->SetDrawMode(_background ? KEPCatalog2DImagePixelRep::kAboveBackground
                                     : KEPCatalog2DImagePixelRep::kOverCheckerboard);
  AttachStereoPartner(image);
  PlaceBackground();
  UpdateGrid();
  KeepOverlaysOnTop();
  return _imageRep.get();
}

bool KEPAteloDocument::DisplayImage(KEPAtelIma* image, bool fit) {
  if (!isVisible() || !_viewer || !image) return false;
  if (!CreateImageRep(image)) return false;
  QAction* fitItem = FindAction("fitItem");
  if (fit && fitItem && fitItem->isChecked()) {
    int width = 0, height = 0;
    image->GetSize(width, height);
    Reframe(0.0f, 0.0f, KEP2DViewer::FitZoom(_visuWidth, _visuHeight, width, height));
  }
  UpdateLogo(image);
  ShowImageLogo(image);
  _viewer->Redraw();
  return true;
}

void KEPAteloDocument::AddAndDisplayImage(KEPAtelIma* image) {
  // Tools receive the pointer events over the image through the indicator.
  if (DisplayImage(image, true) && _viewerIndicator)
    _viewerIndicator->AddRepToManipulate(_imageRep.get());
}

void KEPAteloDocument::RemoveImageRep(KEPAtelIma* image) {
  if (image && image == _repImage) DropImageRep();
  // The other eye's pixels may be about to go.
  if (image && image == _view.repPartner && _imageRep) {
    _imageRep->SetStereoPartner(nullptr, 0);
    _view.repPartner = nullptr;
  }
}

void KEPAteloDocument::RemoveRepFromIndicator(KEPAtelIma* image) {
  if (image && image == _repImage && _imageRep && _viewerIndicator)
    _viewerIndicator->RemoveRepToManipulate(_imageRep.get());
}

void KEPAteloDocument::ImageDeleted(KEPAtelIma* image) {
  EffectsForgetImage(image);
  RemoveImageRep(image);
  if (image == _renderImage) _renderImage = nullptr;
}

void KEPAteloDocument::FreeDisplay() {
  if (!_viewer) return;
  FreeEditDisplay();
  DropImageRep();
  RemoveGrid();
  _subImages.clear();
}

void KEPAteloDocument::CleanDisplay() {
  FreeDisplay();
  if (_viewer) _viewer->Redraw();
  UpdateImage();
}

void KEPAteloDocument::UpdateImage() {
  if (!_series || !_status) return;
  KEPAtelIma* image = _series->GetCurImage();
  EditImageChanged(image);
  if (image) {
    if (_view.playbackState == 3) EnableAll(image);
    _status->setText(QString::fromStdString(_series->GetCurLabel()));
    if (!image->GetPixels()) {
      // Nothing to show (a part whose pixels were dropped): not the old one
      // either.
      FreeDisplay();
      if (_viewer) _viewer->Redraw();
    } else if (image != _repImage) {
      AddAndDisplayImage(image);
    } else if (CreateImageRep(image)) {
      _imageRep->UpdatePixels();
      _viewer->Redraw();
    }
  } else {
    if (_view.playbackState == 3) DisableAll();
    _status->setText(" ");
    FreeDisplay();
    if (_viewer) _viewer->Redraw();
  }
  SmoothingImageChanged();
  // After the display: it gives the image its place.
  UpdateWindowTitle();
  UpdatePointerStatus();
  UpdateInfoDialog();
}

void KEPAteloDocument::RedisplayImage(KEPAtelIma* image) {
  if (!image || image != _repImage || !_imageRep) return;
  int width = 0, height = 0;
  image->GetSize(width, height);
  RedisplayImageRect(image, 0, 0, width, height);
}

void KEPAteloDocument::RedisplayImageRect(KEPAtelIma* image, int x, int y, int width, int height) {
  if (!image || image != _repImage || !_imageRep) return;
  // The representation shows the buffer in place; a buffer that was
  // replaced (or resized) needs it rebuilt.
  int shownWidth = 0, shownHeight = 0, imageWidth = 0, imageHeight = 0;
  _imageRep->GetSize(shownWidth, shownHeight);
  image->GetSize(imageWidth, imageHeight);
  if (_imageRep->GetPixels() != image->GetPixels() || shownWidth != imageWidth ||
      shownHeight != imageHeight) {
    DisplayImage(image, false);
    return;
  }
  _imageRep->UpdatePatch(x, y, width, height);
}

void KEPAteloDocument::SetBusyCursor(bool busy) {
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else if (QApplication::overrideCursor())
    QApplication::restoreOverrideCursor();
}

void KEPAteloDocument::SetStatusText(const std::string& text) {
  if (_status) _status->setText(QString::fromStdString(text));
}

QString KEPAteloDocument::GetStatusText() const {
  return _status ? _status->text() : QString();
}

void KEPAteloDocument::EnableAll(KEPAtelIma* image) {
  bool saved = image->IsSaved();
  SetBtnSensitivity(FindAction("saveItem"), SaveOffered(image) ? SENSITIVE : INSENSITIVE);
  if (!saved) SetBtnSensitivity(FindAction("saveAllItem"), SENSITIVE);
  for (const char* name :
       {"closeItem", "closeAllItem", "saveAsItem", "fullScreenItem", "logoItem", "gridItem"})
    SetBtnSensitivity(FindAction(name), SENSITIVE);
  EnableEditCommands(image);
  SetBtnSensitivity(FindAction("stereoItem"), image->IsEditable() ? SENSITIVE : INSENSITIVE);
  EnableOutput(image);
  EnableToolDialogs(image);
}

void KEPAteloDocument::DisableAll() {
  for (const char* name : {"saveItem", "saveAllItem", "closeItem", "closeAllItem", "saveAsItem",
                           "fullScreenItem", "logoItem", "gridItem", "stereoItem"})
    SetBtnSensitivity(FindAction(name), INSENSITIVE);
  DisableEditCommands();
  EnableOutput(nullptr);
  EnableToolDialogs(nullptr);
}

void KEPAteloDocument::ResizeAction() {
  if (!_viewer) return;
  float width = 0, height = 0;
  _viewer->GetGraphicSize(width, height);
  SetVisuSize(static_cast<int>(width), static_cast<int>(height));
  QAction* fitItem = FindAction("fitItem");
  if (fitItem && fitItem->isChecked()) DisplayImage(_series->GetCurImage(), true);
}

// --- background ---------------------------------------------------------------------

void KEPAteloDocument::RemoveBackground() {
  if (_background && _viewer) _viewer->SetBackgroundRep(nullptr);
  _background.reset();
  _backgroundImage.reset();
  UncheckQuietly("BackgroundItem");
  if (_imageRep) _imageRep->SetDrawMode(KEPCatalog2DImagePixelRep::kOverCheckerboard);
}

void KEPAteloDocument::PlaceBackground() {
  if (!_background) return;
  // Images are centred on the view origin: the background's lower-left
  // corner goes under the image's (centred like an image without one).
  float x = 0, y = 0;
  if (_repImage) {
    _repImage->GetOrigin(x, y);
  } else {
    int width = 0, height = 0;
    _background->GetSize(width, height);
    x = CentredOrigin(width);
    y = CentredOrigin(height);
  }
  _background->SetOrigin(x, y);
}

void KEPAteloDocument::BackgroundAction() {
  QAction* item = FindAction("BackgroundItem");
  if (!item->isChecked()) {
    RemoveBackground();
    if (_viewer) _viewer->Redraw();
    return;
  }
  KEPFileBoxRequest request{"openBackground",
                            "Open background",
                            FileBoxDirectory("DEF_READ", false),
                            BackgroundFileTypes(),
                            FileBoxFilter(),
                            false,
                            false};
  KEPFileBoxAnswer answer = KEPPrompt::ChooseFiles(this, request);
  if (answer.accepted && !answer.files.empty())
    OkOpenBackground(answer.files.front(), answer.filter);
  else
    CancelOpenBackground();
}

void KEPAteloDocument::OkOpenBackground(const std::string& selected, const std::string& filter) {
  std::string name = CompleteExtension(selected, filter);
  std::string extension = litextension(name.c_str());
  if (!KEPAtelIma::CanReadFormat(extension.c_str())) {
    KEPFormatError(errmsg, "Image type '%s' not supported on open", extension.c_str());
    CancelOpenBackground();
    DisplayError();
    return;
  }
  auto image = std::make_unique<KEPAtelIma>(name.c_str(), KEPAtelIma::STATE_FROM_FILE, 0u);
  int width = 0, height = 0;
  char error[KEP_ERRMSG_SIZE] = {0};
  if (image->LoadPixels(width, height, error) != 0) {
    std::memcpy(errmsg, error, KEP_ERRMSG_SIZE);
    CancelOpenBackground();
    DisplayError();
    return;
  }
  if (_background && _viewer) _viewer->SetBackgroundRep(nullptr);
  _backgroundImage = std::move(image);
  _background = std::make_unique<KEPCatalog2DImagePixelRep>(_backgroundImage->GetPixels(), width,
                                                            height, 0.0f, 0.0f);
  PlaceBackground();
  ecritfic("DEF_READ", DirectoryOf(name).c_str());
  ecritfic("DEF_FILT", ("*." + extension).c_str());
  if (_viewer) {
    _viewer->SetBackgroundRep(_background.get());
    if (_imageRep) _imageRep->SetDrawMode(KEPCatalog2DImagePixelRep::kAboveBackground);
    _viewer->Redraw();
  }
}

void KEPAteloDocument::CancelOpenBackground() {
  UncheckQuietly("BackgroundItem");
}

// --- render reception ---------------------------------------------------------------

void KEPAteloDocument::RenderInit() {
  KEP_TRACE(4, "(KEPAteloDocument::RenderInit)");
  DisableAll();
  SetBtnSensitivity(FindAction("interruptItem"), SENSITIVE);
}

void KEPAteloDocument::RenderNew(const char* fileName, int displayCode, int frame, int width,
                                 int height) {
  KEP_TRACE(4, "(KEPAteloDocument::RenderNew) '%s' code %#x frame %d %dx%d",
            fileName ? fileName : "", displayCode, frame, width, height);
  if (width == 0 && height == 0) GetVisuSize(width, height);
  int part = (static_cast<unsigned>(displayCode) >> 24) & 0xff;
  if (part > 16) part = 0;  // not a frame part: take the frame whole
  int partWidth = width, partHeight = height;
  std::uint32_t partCode = 0;
  if (part != 0) {
    KEPAtelIma::FramePartSize(part, width, height, partWidth, partHeight);
    partCode = KEPAtelIma::MakeFramePartCode(part, width, height);
  }
  char suffix[32] = "";
  if (frame != 0) std::snprintf(suffix, sizeof suffix, ".%04d", frame);

  PromptIfOddImageNumber(1);
  RenderInit();
  ConfigDisplay(displayCode & 0xffffff);

  if (_renderImage && _series->Contains(_renderImage)) {
    // The renderer moved on before this frame was complete.
    if (_modAff == MODE_RENDER_VISU_OFF && !_renderImage->IsDone())
      NoteUnfinishedFrame(_renderImage, "the next frame began");
    if (_renderImage->IsSaved()) {
      RemoveImageRep(_renderImage);
      _renderImage->UnloadPixels();
    }
  }

  std::unique_ptr<KEPAtelIma> image;
  if (!fileName || !*fileName) {
    std::string directory, name, type;
    KEPAteloSettings::ReadNamingDefaults(directory, name, type);
    image = std::make_unique<KEPAtelIma>(directory.c_str(), name.c_str(), type.c_str(), suffix, 0,
                                         KEPAtelIma::STATE_IN_MEMORY, partCode);
  } else {
    image = std::make_unique<KEPAtelIma>(fileName, KEPAtelIma::STATE_IN_MEMORY, partCode);
  }
  _renderImage = nullptr;
  _bytesReceived = 0;

  bool failed = false;
  // A size no image may have, and one that the memory budget refuses, say
  // why and what to do.
  const std::uint64_t pixelCount = std::uint64_t(std::max(partWidth, 0)) * std::max(partHeight, 0);
  const bool sized = partWidth > 0 && partHeight > 0 && partWidth <= KEPAtelIma::kMaxSide &&
                     partHeight <= KEPAtelIma::kMaxSide &&
                     pixelCount <= std::uint64_t(KEPAtelIma::kMaxPixels);
  const std::uint64_t needed = pixelCount * 4;
  int allocated = sized ? image->AllocatePixels(partWidth, partHeight) : 1;
  if (allocated != 0 && sized &&
      KEPImageMemory::GetInUse() + needed > KEPImageMemory::GetBudget()) {
    // Saved images have given back what they could already (the series
    // reclaims them); the rest is held by images not saved.
    constexpr std::uint64_t kMegabyte = 1 << 20;
    KEPFormatError(errmsg,
                   "Can't allocate image data structure: %d x %d needs %llu MB and %llu of the "
                   "%llu MB for images are in use. Save or close images, or raise ATELO_MEMORY_MB",
                   partWidth, partHeight,
                   static_cast<unsigned long long>((needed + kMegabyte - 1) / kMegabyte),
                   static_cast<unsigned long long>(KEPImageMemory::GetInUse() / kMegabyte),
                   static_cast<unsigned long long>(KEPImageMemory::GetBudget() / kMegabyte));
    failed = true;
  } else if (!sized) {
    KEPFormatError(errmsg,
                   "Can't allocate image data structure: %d x %d is not a size an image can "
                   "have (1 to %d pixels a side, %lld in all)",
                   partWidth, partHeight, KEPAtelIma::kMaxSide,
                   static_cast<long long>(KEPAtelIma::kMaxPixels));
    failed = true;
  } else if (allocated != 0) {
    KEPFormatError(errmsg, "Can't allocate image data structure");
    failed = true;
  } else {
    LinkImageToViewer(image.get());
    KEPAtelIma* raw = image.release();
    if (_series->AppendOneImage(raw) != 0) {
      if (!_series->Contains(raw)) delete raw;
      KEPFormatError(errmsg, "Can't append image in serie");
      failed = true;
    } else {
      _renderImage = raw;
    }
  }
  if (!failed) return;
  if (_modAff == MODE_RENDER_VISU_OFF) {
    // The frame is lost but the run goes on: the next one may fit.
    _exitStatus |= EXIT_FRAME_NOT_SAVED;
    std::string text = std::string(errmsg) + "\n";
    RenderMessage(static_cast<int>(text.size()), text.c_str());
    return;
  }
  RenderEnd();
  DisplayError();
}

int KEPAteloDocument::RenderDisp(int x0, int y0, int nx, int ny, unsigned int byteCount,
                                 const unsigned char* pixels) {
  if (!_renderImage || !_series->Contains(_renderImage)) {
    _renderImage = nullptr;
    return 0;
  }
  // No image is wider or taller; within these sizes every sum below fits.
  if (nx < 0 || ny < 0 || nx > KEPAtelIma::kMaxSide || ny > KEPAtelIma::kMaxSide) return -1;
  std::uint64_t patchBytes = std::uint64_t(nx) * std::uint64_t(ny) * 4u;
  if (_renderImage->IsDone()) {
    static const char kLate[] = "WARNING: Patch received after image computation is done !!\n";
    RenderMessage(sizeof kLate - 1, kLate);
    return 0;
  }
  _bytesReceived += patchBytes;

  // A patch shorter than announced is copied as far as whole rows go.
  int rows = ny;
  if (nx > 0 && byteCount < patchBytes)
    rows = static_cast<int>(byteCount / (std::uint64_t(nx) * 4u));
  // Where the patch lands, in 64 bits: any coordinates a renderer sends,
  // INT_MIN included, place it somewhere, most likely off the image.
  int partX = 0, partY = 0;
  if (_renderImage->GetFramePart() != 0) _renderImage->FrameToLocal(0, 0, partX, partY);
  const std::int64_t x = std::int64_t{x0} + partX, y = std::int64_t{y0} + partY;
  int width = 0, height = 0;
  _renderImage->GetSize(width, height);
  // A patch partly outside is clipped; one wholly outside is only counted.
  const bool lands =
      pixels && nx > 0 && rows > 0 && x < width && y < height && x + nx > 0 && y + rows > 0;
  if (lands) _renderImage->PutPatch(static_cast<int>(x), static_cast<int>(y), nx, rows, pixels, 1);

  bool current = _renderImage == _series->GetCurImage();
  if (lands && _modAff != MODE_RENDER_VISU_OFF && current)
    DisplaySubImage(static_cast<int>(x), static_cast<int>(y), nx, rows, pixels);
  if (_modAff == MODE_PICTURE) return 0;

  if (_bytesReceived != _renderImage->GetMemorySize()) return 0;
  KEPAtelIma* image = _renderImage;
  image->SetDone();
  int saveMode = _settings.GetSaveMode();
  if (_modAff == MODE_RENDER_VISU_OFF || saveMode == KEPAteloSettings::SAVE_ALWAYS ||
      (saveMode == KEPAteloSettings::SAVE_SMART &&
       image->GetRenderingTime() >= _settings.GetMinTime())) {
    // A failed save is told and the rendering goes on: the next frame may
    // well be saved.
    if (_series->SaveOneImage(image, nullptr) != 0) {
      std::string text = std::string(errmsg) + "\n";
      RenderMessage(static_cast<int>(text.size()), text.c_str());
    }
  }
  // The save may have ended the run (batch) or closed the image.
  if (!_series || !_series->Contains(image)) {
    if (_modAff == MODE_RENDER_VISU_OFF) _exitStatus |= EXIT_FRAME_NOT_SAVED;
    return 0;
  }
  if (_modAff == MODE_RENDER_VISU_OFF && !image->IsSaved()) _exitStatus |= EXIT_FRAME_NOT_SAVED;
  char message[KEP_ERRMSG_SIZE + 64];
  std::snprintf(message, sizeof message,
                image->IsSaved() ? "IMG  0.0 info : Image '%s' saved\n"
                                 : "IMG  0.0 warning : Image '%s' NOT saved !\n",
                image->GetName());
  RenderMessage(static_cast<int>(std::strlen(message)), message);
  image->EndRendering();
  if (image == _series->GetCurImage()) UpdateImage();
  return 0;
}

void KEPAteloDocument::DisplaySubImage(int x, int y, int nx, int ny, const unsigned char*) {
  if (nx == 0 || ny == 0 || !_viewer || !_renderImage) return;
  // The patch is already in the image's buffer, which the representation
  // shows in place: repainting the patch's screen area is enough.
  if (_repImage != _renderImage) {
    DisplayImage(_renderImage, true);
    return;
  }
  _imageRep->UpdatePatch(x, y, nx, ny);
}

void KEPAteloDocument::RenderPath(int length, const char* fileName) {
  if (!fileName) return;
  std::vector<std::string> names{
      std::string(fileName, length > 0 ? static_cast<std::size_t>(length) : std::strlen(fileName))};
  if (OpenFile(names, 1) == 0)
    UpdateImage();
  else
    DisplayError();
}

void KEPAteloDocument::RendererGone(const char* renderer) {
  if (_modAff != MODE_RENDER_VISU_OFF || _quitting) return;
  std::fprintf(stderr,
               "%s: batch run ended: the renderer '%.8s' is gone without ending the run "
               "(END_DISP).\n",
               windowTitle().toLocal8Bit().constData(), renderer);
  _exitStatus |= EXIT_RENDERER_GONE;
  RenderEnd();
}

void KEPAteloDocument::NoteUnfinishedFrame(KEPAtelIma* image, const char* when) {
  _exitStatus |= EXIT_FRAME_NOT_SAVED;
  char message[KEP_ERRMSG_SIZE + 96];
  std::snprintf(message, sizeof message,
                "IMG  0.0 warning : Image '%s' NOT saved: still unfinished when %s !\n",
                image->GetName(), when);
  RenderMessage(static_cast<int>(std::strlen(message)), message);
}

void KEPAteloDocument::RenderEnd() {
  KEP_TRACE(4, "(KEPAteloDocument::RenderEnd)");
  if (_modAff == MODE_RENDER_VISU_OFF) {
    // A frame still unfinished when the run ends was never saved.
    if (_renderImage && _series->Contains(_renderImage) && !_renderImage->IsDone())
      NoteUnfinishedFrame(_renderImage, "the run ended");
    if (!_quitting) FinishQuit();
    return;
  }
  // The rendering is over even when its image did not survive it.
  if (_modAff == MODE_RENDER) _modAff = MODE_PICTURE;
  if (_renderImage && _series->Contains(_renderImage)) {
    if (!_renderImage->IsDone()) _renderImage->SetDone();
    if (_renderImage == _series->GetCurImage()) DisplayImage(_renderImage, true);
  }
  _renderImage = nullptr;
  UpdateInfoDialog();
  SetBtnSensitivity(FindAction("interruptItem"), INSENSITIVE);
  // Exit was confirmed while this rendering ran.
  if (_quitPending && !_quitting) FinishQuit();
}
