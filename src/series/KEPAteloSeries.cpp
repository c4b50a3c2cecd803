#include "series/KEPAteloSeries.h"

#include <sys/stat.h>

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/KEPErrmsg.h"
#include "platform/KEPTrace.h"
#include "platform/settings/KEPSettingsFile.h"
#include "series/KEPAteloSeriesHost.h"
#include "series/KEPSeriesRules.h"

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const char* label, const char* tip) {
  auto* button = new QPushButton(QString::fromLatin1(label), parent);
  button->setObjectName(QString::fromLatin1(name));
  if (tip) button->setToolTip(QString::fromLatin1(tip));
  return button;
}

// A line keeps its label's bytes beside the text it shows, so that names
// that are not valid UTF-8 still compare as the names they are.
constexpr int kLabelRole = Qt::UserRole + 1;

std::string LineLabel(const QListWidgetItem* item) {
  return item->data(kLabelRole).toByteArray().toStdString();
}

void SetLineLabel(QListWidgetItem* item, const std::string& label) {
  item->setData(kLabelRole, QByteArray::fromStdString(label));
  item->setText(QString::fromLocal8Bit(label.data(), static_cast<qsizetype>(label.size())));
}

}  // namespace

KEPAteloSeries::KEPAteloSeries(KEPAteloSeriesHost* host, QWidget* parent)
    : QDialog(parent), _host(host) {
  KEP_TRACE(2, "(KEPAteloSeries::KEPAteloSeries)\n");
  BuildWindow();
  UpdateButtons();
  RegisterReclaimer();
}

KEPAteloSeries::~KEPAteloSeries() {
  KEP_TRACE(2, "(KEPAteloSeries::~KEPAteloSeries)\n");
  UnregisterReclaimer();
  // The list outlives this part of the object while the base destroys its
  // children; it must not call back into a half-destroyed series.
  QObject::disconnect(_list, nullptr, this, nullptr);
}

void KEPAteloSeries::BuildWindow() {
  setObjectName("seriesDialog");
  setWindowTitle("Series");

  auto* layout = new QVBoxLayout(this);
  auto* mainFrame = new QFrame(this);
  mainFrame->setObjectName("mainFrame");
  auto* mainLayout = new QHBoxLayout(mainFrame);

  _list = new QListWidget(mainFrame);
  _list->setObjectName("list");
  _list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  _list->setContextMenuPolicy(Qt::CustomContextMenu);
  mainLayout->addWidget(_list, 1);

  auto* cmdFrame = new QFrame(mainFrame);
  cmdFrame->setObjectName("cmdFrame");
  auto* cmdLayout = new QVBoxLayout(cmdFrame);
  _openBtn = MakeButton(cmdFrame, "openBtn", "Open", "Open Image Files");
  _saveBtn = MakeButton(cmdFrame, "saveBtn", "Save", "Save Selected Names As");
  _cutBtn = MakeButton(cmdFrame, "cutBtn", "Cut", "Cut Selected Names");
  _copyBtn = MakeButton(cmdFrame, "copyBtn", "Copy", "Copy Selected Names");
  _pasteBtn = MakeButton(cmdFrame, "pasteBtn", "Paste", "Paste Selection");
  _upBtn = MakeButton(cmdFrame, "upBtn", "Up", "Move Selected Names Up");
  _downBtn = MakeButton(cmdFrame, "downBtn", "Down", "Move Selected Names Down");
  for (QPushButton* button : {_openBtn, _saveBtn, _cutBtn, _copyBtn, _pasteBtn, _upBtn, _downBtn}) {
    button->setAutoDefault(false);
    cmdLayout->addWidget(button);
  }
  cmdLayout->addStretch(1);
  mainLayout->addWidget(cmdFrame);
  layout->addWidget(mainFrame, 1);

  auto* closeBtn = MakeButton(this, "closeBtn", " Close ", nullptr);
  closeBtn->setAutoDefault(false);
  layout->addWidget(closeBtn, 0, Qt::AlignHCenter);

  _listMenu = new QMenu("Series", this);
  _listMenu->setObjectName("listMenu");
  _cutItem = _listMenu->addAction("Cut");
  _cutItem->setObjectName("cutSeriesItem");
  _copyItem = _listMenu->addAction("Copy");
  _copyItem->setObjectName("copySeriesItem");
  _pasteItem = _listMenu->addAction("Paste");
  _pasteItem->setObjectName("pasteSeriesItem");

  connect(_openBtn, &QPushButton::clicked, this, &KEPAteloSeries::OpenAction);
  connect(_saveBtn, &QPushButton::clicked, this, &KEPAteloSeries::SaveAction);
  connect(_cutBtn, &QPushButton::clicked, this, &KEPAteloSeries::CutAction);
  connect(_copyBtn, &QPushButton::clicked, this, &KEPAteloSeries::CopyAction);
  connect(_pasteBtn, &QPushButton::clicked, this, &KEPAteloSeries::PasteAction);
  connect(_upBtn, &QPushButton::clicked, this, &KEPAteloSeries::UpAction);
  connect(_downBtn, &QPushButton::clicked, this, &KEPAteloSeries::DownAction);
  connect(closeBtn, &QPushButton::clicked, this, &KEPAteloSeries::HideAction);
  connect(_cutItem, &QAction::triggered, this, &KEPAteloSeries::CutAction);
  connect(_copyItem, &QAction::triggered, this, &KEPAteloSeries::CopyAction);
  connect(_pasteItem, &QAction::triggered, this, &KEPAteloSeries::PasteAction);
  connect(_list, &QListWidget::itemSelectionChanged, this, &KEPAteloSeries::SingleSelection);
  connect(_list, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { _listMenu->popup(_list->viewport()->mapToGlobal(at)); });
}

void KEPAteloSeries::UpdateButtons() {
  const int count = GetNbrImage();
  const bool any = count > 0;
  const bool paste = _pasteList.Size() > 0;
  _saveBtn->setEnabled(any);
  _cutBtn->setEnabled(any);
  _copyBtn->setEnabled(any);
  _pasteBtn->setEnabled(paste);
  _upBtn->setEnabled(count > 1);
  _downBtn->setEnabled(count > 1);
  _cutItem->setEnabled(any);
  _copyItem->setEnabled(any);
  _pasteItem->setEnabled(paste);
}

// --- queries -------------------------------------------------------------

KEPAtelIma* KEPAteloSeries::GetCurImage() const {
  return GetPosImage(_current);
}

KEPAtelIma* KEPAteloSeries::GetPosImage(int position) const {
  if (position < 1 || position > GetNbrImage()) return nullptr;
  return _images[position - 1].get();
}

int KEPAteloSeries::GetNbrImage() const {
  return static_cast<int>(_images.size());
}

int KEPAteloSeries::GetCurValue() const {
  return _current;
}

std::string KEPAteloSeries::GetCurLabel() const {
  return GetLabel(_current);
}

std::string KEPAteloSeries::GetLabel(int position) const {
  if (position < 1 || position > _list->count()) return {};
  return LineLabel(_list->item(position - 1));
}

bool KEPAteloSeries::Contains(const KEPAtelIma* image) const {
  return image && _members.count(image) != 0;
}

int KEPAteloSeries::LocateImage(const KEPAtelIma* image) const {
  if (!Contains(image)) return 0;
  for (int i = 0; i < GetNbrImage(); ++i) {
    if (_images[i].get() == image) return i + 1;
  }
  return 0;
}

std::vector<int> KEPAteloSeries::GetSelectedPositions() const {
  // From the selection itself: asking every line would make each insertion
  // cost as much as the series is long.
  std::vector<int> positions;
  for (const QModelIndex& index : _list->selectionModel()->selectedIndexes())
    positions.push_back(index.row() + 1);
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  return positions;
}

void KEPAteloSeries::SetSelectedPositions(std::span<const int> positions) {
  QSignalBlocker block(_list);
  _list->clearSelection();
  for (int position : positions) {
    if (position >= 1 && position <= _list->count()) _list->item(position - 1)->setSelected(true);
  }
}

std::string KEPAteloSeries::LabelOf(const KEPAtelIma* image) {
  const char* name = image->GetName();
  const int position = LocateImage(image);
  if (!position) return _labels.Make(name ? name : "");
  const std::string own = LineLabel(_list->item(position - 1));
  return _labels.Make(name ? name : "", &own);
}

void KEPAteloSeries::UpdateLine(int position) {
  KEPAtelIma* image = GetPosImage(position);
  if (!image) return;
  QListWidgetItem* item = _list->item(position - 1);
  const std::string old = LineLabel(item);
  const char* name = image->GetName();
  const std::string label = _labels.Make(name ? name : "", &old);
  if (label == old) return;
  _labels.Remove(old);
  _labels.Add(label);
  // setText leaves the selection as it is.
  SetLineLabel(item, label);
}

// --- selection -----------------------------------------------------------

int KEPAteloSeries::SelectImage(int position) {
  KEP_TRACE(6, "(KEPAteloSeries::SelectImage) %d\n", position);
  if (position < 1 || position > GetNbrImage()) return 1;
  ActivatePosition(position, false);
  return 0;
}

int KEPAteloSeries::NextImage(int direction, int loop) {
  auto step = KEPSeriesRules::NextStep(GetNbrImage(), _current, direction, loop != 0,
                                       _host->IsStereoActivate());
  if (step.position > 0) SelectImage(step.position);
  return step.direction;
}

void KEPAteloSeries::SingleSelection() {
  KEP_TRACE(4, "(KEPAteloSeries::SingleSelection)\n");
  std::vector<int> selected = GetSelectedPositions();
  if (_host->IsStereoActivate() && !selected.empty()) {
    // A line stands for its pair: show the partner's line instead.
    const int count = GetNbrImage();
    for (int& position : selected) {
      if (position % 2 == 1) {
        if (position < count) ++position;
      } else {
        --position;
      }
    }
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    SetSelectedPositions(selected);
  }
  if (selected.empty() || selected.front() == _current) return;
  ActivatePosition(selected.front(), true);
}

void KEPAteloSeries::ActivatePosition(int position, bool keepSelection) {
  for (;;) {
    _current = std::clamp(position, 0, GetNbrImage());
    if (!keepSelection) {
      const int only[] = {_current};
      SetSelectedPositions(_current ? std::span<const int>(only) : std::span<const int>());
    }
    KEPAtelIma* image = GetCurImage();
    MarkShown(image);
    if (!image || image->GetFramePart() != 0 || image->GetPixels()) break;
    // The pixels were dropped to save memory. An unsaved image has nothing
    // to bring back; a saved one is read again, and one that cannot be read
    // leaves the series with its error shown.
    bool failed = false;
    if (image->IsSaved()) {
      int width = 0, height = 0;
      if (image->LoadPixels(width, height, errmsg) == 0) break;
      failed = true;
    }
    _host->RemoveImageRep(image);
    Discard(TakeImage(_current));
    if (failed) _host->DisplayError();
    position = _current;
    keepSelection = false;
  }
  UpdateButtons();
  _host->UpdateImage();
}

// --- insertion -------------------------------------------------------------

int KEPAteloSeries::InsertionPoint(int position) const {
  if (position > 0) return std::min(position, GetNbrImage());
  std::vector<int> selected = GetSelectedPositions();
  return selected.empty() ? _current : selected.back();
}

int KEPAteloSeries::PlaceImage(std::unique_ptr<KEPAtelIma> image, int after) {
  after = std::clamp(after, 0, GetNbrImage());
  const char* name = image->GetName();
  std::string label = _labels.Make(name ? name : "");
  _labels.Add(label);
  _members.insert(image.get());
  MarkShown(image.get());
  _images.insert(_images.begin() + after, std::move(image));
  {
    QSignalBlocker block(_list);
    auto* item = new QListWidgetItem;
    SetLineLabel(item, label);
    _list->insertItem(after, item);
  }
  if (_current > after) ++_current;
  _lastInserted = after + 1;
  UpdateButtons();
  return after + 1;
}

int KEPAteloSeries::InsertImageAfter(KEPAtelIma* image, int after) {
  _lastInserted = 0;
  if (!image) return 0;
  std::unique_ptr<KEPAtelIma> owned;
  if (Contains(image)) {
    // One record cannot sit twice in the list: the second line gets a copy
    // that matches the file as the first one does.
    owned = std::make_unique<KEPAtelIma>(*image);
    owned->SetCoupledImage(nullptr);
    _host->LinkImageToViewer(owned.get());
    owned->SetDone();
    owned->SetSaved();
  } else {
    auto held = std::find_if(_pasteOwned.begin(), _pasteOwned.end(),
                             [&](const auto& p) { return p.get() == image; });
    if (held != _pasteOwned.end()) {
      owned = std::move(*held);
      _pasteOwned.erase(held);
    } else {
      owned.reset(image);
    }
  }
  return PlaceImage(std::move(owned), after);
}

int KEPAteloSeries::InsertSingleAfter(KEPAtelIma* image, int position) {
  if (!image) {
    KEPFormatError(errmsg, "No image to insert");
    return 1;
  }
  return InsertImageAfter(image, InsertionPoint(position)) ? 0 : 1;
}

int KEPAteloSeries::InsertSingleAfter(const char* fileName, int position) {
  return InsertFileAfter(fileName, InsertionPoint(position));
}

int KEPAteloSeries::InsertFileAfter(const char* fileName, int after) {
  _lastInserted = 0;
  std::string path = ResolveFilename(fileName ? fileName : "");
  struct stat info {};
  if (!fileName || !*fileName || stat(path.c_str(), &info) != 0) {
    KEPFormatError(errmsg, "File '%s' not found", path.c_str());
    return 1;
  }
  if (!S_ISREG(info.st_mode)) {
    KEPFormatError(errmsg, "File '%s' is %s, not an image file", path.c_str(),
                   FileKindText(info.st_mode));
    return 1;
  }
  auto image = std::make_unique<KEPAtelIma>(path.c_str(), KEPAtelIma::STATE_FROM_FILE, 0u);
  if (_host->GetSplitMode() && static_cast<std::int64_t>(info.st_size) >= _host->GetSplitSize()) {
    if (_host->OpenSplitDialog(image.get(), after)) {
      image.release();  // the split dialog owns it now
      return 0;
    }
  }
  _host->LinkImageToViewer(image.get());
  PlaceImage(std::move(image), after);
  return 0;
}

int KEPAteloSeries::InsertOneImageAfter(const char* fileName, int select) {
  int result = InsertSingleAfter(fileName, 0);
  if (result == 0 && select && _lastInserted) ActivatePosition(_lastInserted, false);
  return result;
}

int KEPAteloSeries::InsertOneImageAfter(KEPAtelIma* image, int select) {
  int result = InsertSingleAfter(image, 0);
  if (result == 0 && select && _lastInserted) ActivatePosition(_lastInserted, false);
  return result;
}

int KEPAteloSeries::AppendOneImage(KEPAtelIma* image) {
  if (!image) return 1;
  int position = InsertImageAfter(image, GetNbrImage());
  if (!position) return 1;
  ActivatePosition(position, false);
  return 0;
}

// --- removal ---------------------------------------------------------------

std::unique_ptr<KEPAtelIma> KEPAteloSeries::TakeImage(int position) {
  std::unique_ptr<KEPAtelIma> image = std::move(_images[position - 1]);
  _images.erase(_images.begin() + (position - 1));
  _members.erase(image.get());
  _lastShown.erase(image.get());
  {
    QSignalBlocker block(_list);
    QListWidgetItem* item = _list->takeItem(position - 1);
    _labels.Remove(LineLabel(item));
    delete item;
  }
  // No stereo partner may keep pointing at an image that may be deleted.
  image->Uncouple();
  if (position < _current) {
    --_current;
  } else if (position == _current) {
    _current = std::min(_current, GetNbrImage());
  }
  return image;
}

void KEPAteloSeries::Discard(std::unique_ptr<KEPAtelIma> image) {
  if (_pasteList.Locate(image.get()))
    _pasteOwned.push_back(std::move(image));
  else
    _host->ImageDeleted(image.get());
}

void KEPAteloSeries::DeleteListPaste() {
  _pasteList.RemoveAll();
  for (const auto& image : _pasteOwned) _host->ImageDeleted(image.get());
  _pasteOwned.clear();  // exactly the pasted images no longer in the series
  UpdateButtons();
}

std::vector<KEPAtelIma*> KEPAteloSeries::ImagesAt(std::span<const int> positions) const {
  std::vector<KEPAtelIma*> images;
  if (positions.empty() || static_cast<int>(positions.size()) == GetNbrImage()) {
    for (const auto& image : _images) images.push_back(image.get());
  } else {
    for (int position : positions) {
      if (KEPAtelIma* image = GetPosImage(position)) images.push_back(image);
    }
  }
  return images;
}

int KEPAteloSeries::RemoveMulti(std::span<const int> positions) {
  KEP_TRACE(4, "(KEPAteloSeries::RemoveMulti)\n");
  DeleteListPaste();
  std::vector<KEPAtelIma*> targets = ImagesAt(positions);
  int result = 0;
  int removed = 0;
  for (KEPAtelIma* image : targets) {
    // A save asked for on the way may already have taken it out.
    if (!LocateImage(image)) continue;
    if (!PromptIfNotDone(image) || !PromptIfNotSaved(image)) {
      result = 1;
      break;
    }
    int position = LocateImage(image);
    if (!position) continue;
    _host->RemoveImageRep(image);
    std::unique_ptr<KEPAtelIma> owned = TakeImage(position);
    if (!_host->GetKeepMode() && owned->IsSaved()) owned->UnloadPixels();
    _pasteList.Append(owned.get());
    _pasteOwned.push_back(std::move(owned));
    ++removed;
  }
  if (removed) {
    ActivatePosition(_current, false);
    _host->PromptIfOddImageNumber(GetNbrImage());
  }
  UpdateButtons();
  return result;
}

int KEPAteloSeries::RemoveSelectedImages(int maxCount) {
  std::vector<int> selected = GetSelectedPositions();
  if (selected.empty()) return 0;
  if (maxCount > 0 && static_cast<int>(selected.size()) > maxCount) selected.resize(maxCount);
  return RemoveMulti(selected);
}

int KEPAteloSeries::CloseSelectedImage() {
  std::vector<int> selected = GetSelectedPositions();
  if (selected.empty()) return 0;
  const int first[] = {selected.front()};
  int result = RemoveMulti(first);
  DeleteListPaste();
  return result;
}

int KEPAteloSeries::CloseAllImages() {
  int result = RemoveMulti({});
  DeleteListPaste();
  return result;
}

// --- copy and paste ----------------------------------------------------------

int KEPAteloSeries::CopyMulti(std::span<const int> positions) {
  DeleteListPaste();
  for (KEPAtelIma* image : ImagesAt(positions)) _pasteList.Append(image);
  UpdateButtons();
  return 0;
}

void KEPAteloSeries::CutAction() {
  KEP_TRACE(4, "(KEPAteloSeries::CutAction)\n");
  RemoveSelectedImages(0);
}

void KEPAteloSeries::CopyAction() {
  KEP_TRACE(4, "(KEPAteloSeries::CopyAction)\n");
  std::vector<int> selected = GetSelectedPositions();
  if (!selected.empty()) CopyMulti(selected);
}

void KEPAteloSeries::PasteAction() {
  KEP_TRACE(4, "(KEPAteloSeries::PasteAction)\n");
  if (_pasteList.Size() == 0) return;
  std::vector<KEPAtelIma*> items;
  for (int i = 1; i <= _pasteList.Size(); ++i) items.push_back(_pasteList[i]);
  std::vector<int> pasted;
  int after = _current;
  for (KEPAtelIma* image : items) {
    int position = InsertImageAfter(image, after);
    if (!position) break;
    // Lines already pasted move down as the next one goes in after them.
    pasted.push_back(position);
    after = position;
  }
  if (pasted.empty()) return;
  SetSelectedPositions(pasted);
  ActivatePosition(pasted.front(), true);
  _host->PromptIfOddImageNumber(GetNbrImage());
}

// --- moving lines --------------------------------------------------------------

int KEPAteloSeries::SwapImages(int first, int second) {
  const int count = GetNbrImage();
  if (first < 1 || second < 1 || first > count || second > count) return 1;
  if (first == second) return 0;
  std::swap(_images[first - 1], _images[second - 1]);
  QListWidgetItem* a = _list->item(first - 1);
  QListWidgetItem* b = _list->item(second - 1);
  std::string label = LineLabel(a);
  SetLineLabel(a, LineLabel(b));
  SetLineLabel(b, label);
  return 0;
}

// --- stereo and display ------------------------------------------------------------

KEPAtelIma* KEPAteloSeries::GetCoupledImage(const KEPAtelIma* image) const {
  const int position = LocateImage(image);
  if (!position) return nullptr;
  if (position % 2 == 1) return position < GetNbrImage() ? GetPosImage(position + 1) : nullptr;
  return GetPosImage(position - 1);
}

void KEPAteloSeries::AssociateStereoImages() {
  for (int position = 1; position <= GetNbrImage(); ++position) {
    KEPAtelIma* image = GetPosImage(position);
    image->SetCoupledImage(GetCoupledImage(image));
    image->SetStereoSide(position % 2);
  }
}

void KEPAteloSeries::DissociateStereoImages() {
  for (auto& image : _images) image->SetCoupledImage(nullptr);
}

void KEPAteloSeries::RemoveAllReps() {
  for (auto& image : _images) _host->RemoveImageRep(image.get());
}

// --- window ------------------------------------------------------------------

void KEPAteloSeries::OpenAction() {
  _host->OpenAction();
}

void KEPAteloSeries::SaveAction() {
  _host->SaveAsAction(1);
}

void KEPAteloSeries::HideAction() {
  hide();
}

std::string KEPAteloSeries::ResolveFilename(const char* name) {
  return KEPSeriesRules::ResolveFilename(name ? name : "");
}
