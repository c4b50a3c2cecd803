// The Qt file box: what was typed is the answer; a folder may be chosen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "platform/KEPPrompt.h"
#include "support/TempDir.h"

namespace {

// Runs a box on `dir`, doing `user` to it once it shows.
KEPFileBoxAnswer Box(const TempDir& dir, bool folder, std::function<void(QFileDialog*)> user) {
  auto scripted = KEPPrompt::SetHandler(nullptr);
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      poll.stop();
      user(box);
    }
  });
  poll.start(10);
  KEPFileBoxRequest request{"open",  "Open", dir.Path(), {{"tiff", "*.tif"}, {"png", "*.png"}},
                            "*.tif", true,   false};
  KEPFileBoxAnswer answer = folder ? KEPPrompt::ChooseFolderOrFile(nullptr, request, "shot.tif")
                                   : KEPPrompt::ChooseFiles(nullptr, request);
  KEPPrompt::SetHandler(scripted);
  return answer;
}

// As typed: the list selects what it matches, the field keeps the text (Qt
// rewrites an unfocused field, and offscreen it cannot take the focus).
void Type(QFileDialog* box, const char* text) {
  auto* field = box->findChild<QLineEdit*>("fileNameEdit");
  field->setText(text);
  QSignalBlocker typing(field);
  field->setText(text);
  QMetaObject::invokeMethod(box, "accept");
}

TEST(QtFileBox, TypedNamesAreTheAnswerEvenWhenTheFilterHidesThem) {
  TempDir dir;
  for (const char* name : {"a.tif", "b.png"}) WriteWholeFile(dir.File(name), "x");
  KEPFileBoxAnswer answer =
      Box(dir, false, [](QFileDialog* box) { Type(box, "\"a.tif\" \"b.png\""); });
  EXPECT_EQ(answer.files, (std::vector<std::string>{dir.File("a.tif"), dir.File("b.png")}));
  EXPECT_EQ(answer.filter, "*.tif");
}

TEST(QtFileBox, AFolderOrANewFileNameMayBeChosen) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("sub"));
  auto answer = Box(dir, true, [](QFileDialog* box) {
    EXPECT_EQ(box->findChild<QLineEdit*>("fileNameEdit")->text(), "shot.tif");
    box->findChild<QPushButton*>("folderBtn")->click();
  });
  EXPECT_EQ(answer.files, std::vector<std::string>{dir.Path() + "/"});
  answer = Box(dir, true, [](QFileDialog* box) { Type(box, "sub"); });
  EXPECT_EQ(answer.files, std::vector<std::string>{dir.File("sub/")});
  answer = Box(dir, true, [](QFileDialog* box) { Type(box, "new.png"); });
  EXPECT_EQ(answer.files, std::vector<std::string>{dir.File("new.png")});
  EXPECT_FALSE(Box(dir, true, [](QFileDialog* box) { box->reject(); }).accepted);
}

}  // namespace
