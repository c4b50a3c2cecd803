// Every command of the menu bar and the toolbars, and that it runs; the
// toolbars' sides, the icons, the file boxes' types and the window's size
// on a small screen.
#include <gtest/gtest.h>

#include <QDir>
#include <QSvgRenderer>
#include <QToolBar>
#include <algorithm>

#include "document/DocumentFixture.h"
#include "document/KEPAteloFileTypes.h"
#include "document/KEPAteloIcons.h"

namespace {

// The commands of one sub-menu or toolbar, in order, each with its
// shortcut after "=" when it has one.
struct Commands {
  const char* holder;
  const char* names;
};

const Commands kCommands[] = {
    {"fileSubMenu",
     "newItem=Ctrl+N openItem=Ctrl+O closeItem closeAllItem saveItem=Ctrl+S saveAsItem saveAllItem "
     "printItem=Ctrl+P printManagerItem=Ctrl+U shellPrintItem=Ctrl+H"},
    {"editSubMenu",
     "undoItem=Ctrl+Z redoItem=Ctrl+Y copyItem=Ctrl+C copyWholeItem cutItem=Ctrl+X "
     "pasteItem=Ctrl+V pastePartItem"},
    {"viewSubMenu",
     "logoItem BackgroundItem editChkItem playbackChkItem drawChkItem gridItem=Ctrl+G "
     "fullScreenItem=Ctrl+F fitItem=Ctrl+W reframeItem=Ctrl+R stereoItem seriesItem=Ctrl+E "
     "infoItem=Ctrl+I formatsItem=Ctrl+A messageItem=Ctrl+M"},
    {"processSubMenu", "interruptItem=Ctrl+Esc"},
    {"toolsSubMenu", "composeItem lisseItem blurItem lightItem glowItem luminosityItem"},
    {"settingsSubMenu", "defaultsItem logoSetupItem toolsSetupItem"},
    {"helpSubMenu", "contentsItem=F1 interfaceItem=F2"},
    {"editToolBar",
     "newButton openButton saveButton printButton cutButton copyButton pasteButton undoButton "
     "redoButton reframeButton"},
    {"drawToolBar",
     "selRecButton selCirButton selSegButton selHandButton selSideButton leftButton rightButton "
     "symvButton symhButton sizeButton cropButton recButton filledRecButton circleButton "
     "filledCircleButton segButton filledSegButton handButton filledHandButton paintButton "
     "sprayButton eraseButton colorButton"},
    {"fileSubMenu", "exitItem=Ctrl+Q"},
};

class CommandTable : public DocumentFixture {
 protected:
  void SetUp() override {
    DocumentFixture::SetUp();
    WritePicture(dir.File("a.tif"), 16, 12);
  }
  KEPAteloDocument& Make(std::vector<std::string> files) {
    DocumentFixture::Make(files).SetQuitHandler([] {});
    return *doc;
  }
};

TEST_F(CommandTable, EveryCommandIsInPlaceAndRuns) {
  KEPAteloDocument& doc = Make({dir.File("a.tif")});
  for (const Commands& group : kCommands)
    for (const QString& entry : QString(group.names).split(' ')) {
      const QString name = entry.section('=', 0, 0);
      SCOPED_TRACE(name.toStdString());
      QAction* action = doc.FindAction(name.toUtf8().constData());
      ASSERT_NE(action, nullptr);
      EXPECT_FALSE(action->text().isEmpty() || action->statusTip().isEmpty());
      EXPECT_EQ(action->shortcut(), QKeySequence(entry.section('=', 1)));
      QWidget* holder = doc.findChild<QWidget*>(group.holder);
      ASSERT_TRUE(holder && holder->actions().contains(action));
      EXPECT_TRUE(!qobject_cast<QToolBar*>(holder) || !action->icon().isNull());

      // Every command meets an image, whatever the one before did with it.
      if (doc.GetNbrImage() == 0) {
        std::vector<std::string> names{dir.File("a.tif")};
        ASSERT_EQ(doc.OpenFile(names, 1), 0);
      }
      Prompt().Clear();
      action->trigger();
      for (const KEPQuestion& asked : Prompt().asked)
        EXPECT_EQ(asked.text.find("is not available in this version."), std::string::npos)
            << asked.text;
    }
}

TEST_F(CommandTable, ToolbarSidesComeFromTheDefaultsAndExitWritesWhereTheyAre) {
  WriteWholeFile(dir.File(".virda_atelo.env"), "EDIT_TOOLBAR=LEFT\n");
  KEPAteloDocument& doc = Make({});
  QToolBar* bar = doc.GetEditToolBar();
  ASSERT_TRUE(bar && doc.toolBarArea(bar) == Qt::LeftToolBarArea);
  EXPECT_TRUE(doc.FindAction("editChkItem")->isChecked());

  // A button follows its item; Print and the rest need an image.
  doc.FindAction("saveItem")->setEnabled(false);
  EXPECT_FALSE(doc.FindAction("saveButton")->isEnabled());
  for (const char* name : {"printButton", "printManagerItem", "shellPrintItem", "infoItem"})
    EXPECT_FALSE(doc.FindAction(name)->isEnabled()) << name;

  doc.addToolBar(Qt::BottomToolBarArea, bar);  // dragged by the user
  doc.QuitAction();
  EXPECT_NE(ReadWholeFile(dir.File(".virda_atelo.env")).find("EDIT_TOOLBAR=BOTTOM"),
            std::string::npos);

  WriteWholeFile(dir.File(".virda_atelo.env"), "EDIT_TOOLBAR=OFF\n");
  KEPAteloDocument& plain = Make({});
  EXPECT_EQ(plain.GetEditToolBar(), nullptr);
  plain.FindAction("editChkItem")->trigger();
  ASSERT_TRUE(plain.GetEditToolBar() && plain.GetEditToolBar()->isVisible());
  plain.GetEditToolBar()->hide();  // closed from the toolbar's own menu
  EXPECT_FALSE(plain.FindAction("editChkItem")->isChecked());
  plain.QuitAction();
  EXPECT_NE(ReadWholeFile(dir.File(".virda_atelo.env")).find("EDIT_TOOLBAR=OFF"),
            std::string::npos);
}

TEST_F(CommandTable, ANameTypedWithoutExtensionUnderAllImagesOpensAsTif) {
  KEPAteloDocument& doc = Make({});
  doc.OkOpen({dir.File("a")}, OpenFileTypes().front().second);
  EXPECT_EQ(doc.GetNbrImage(), 1);
  EXPECT_TRUE(Prompt().asked.empty());
}

TEST_F(CommandTable, TheWindowFitsASmallScreenWithEveryToolbar) {
  WriteWholeFile(dir.File(".virda_atelo.env"),
                 "EDIT_TOOLBAR=TOP\nPLAYBACK_TOOLBAR=BOTTOM\nDRAW_TOOLBAR=RIGHT\n");
  KEPAteloDocument& doc = Make({dir.File("a.tif")});
  for (const char* item : {"editChkItem", "playbackChkItem", "drawChkItem"}) {
    QAction* check = doc.FindAction(item);
    if (!check->isChecked()) check->trigger();
  }
  // 1280 x 800 less a title bar and a desktop panel.
  QSize least = doc.minimumSizeHint().expandedTo(doc.minimumSize());
  EXPECT_TRUE(least.width() <= 1280 && least.height() <= 740)
      << least.width() << "x" << least.height();
}

int Count(const KEPAteloFileTypes& types, const std::string& pattern) {
  return std::count_if(types.begin(), types.end(), [&](auto& e) { return e.second == pattern; });
}

TEST(FileTypes, TheBoxesOfferEveryTypeTheImageServicesHandle) {
  const KEPAteloFileTypes &open = OpenFileTypes(), &save = SaveFileTypes();
  EXPECT_EQ(open.front().first, "All images");
  EXPECT_EQ(open[1], (std::pair<std::string, std::string>{"picture", "*.picture"}));
  EXPECT_EQ(open.back().second + save.back().second, "*.series*.series");
  EXPECT_EQ(Count(BackgroundFileTypes(), "*.series"), 0);
  for (const char* type : {"png", "exr", "hdr", "tga", "tiff", "dpx"}) {
    const std::string pattern = std::string("*.") + type;
    EXPECT_EQ(Count(open, pattern), KEPAtelIma::CanReadFormat(type)) << type;
    EXPECT_EQ(Count(save, pattern), KEPAtelIma::CanWriteFormat(type)) << type;
    const bool inAll =
        (" " + open.front().second + " ").find(" " + pattern + " ") != std::string::npos;
    EXPECT_EQ(inAll, KEPAtelIma::CanReadFormat(type)) << type;
  }
  // Types a classic entry covers are not offered twice.
  EXPECT_EQ(Count(open, "*.xpm"), 0);
  EXPECT_EQ(Count(open, "*.jpg"), 1);
}

TEST(Icons, EveryIconIsADrawing) {
  // The toolbars' icons are checked with their commands; these show elsewhere.
  for (const char* name :
       {"atvout", "atvfbwd", "atvbwd", "atvstop", "atvfwd", "atvffwd", "i3n4d005"})
    EXPECT_FALSE(KEPAteloIcon(name).isNull()) << name;
  const QStringList files = QDir(":/icons").entryList({"*.svg"});
  EXPECT_FALSE(files.isEmpty());
  for (const QString& file : files) {
    EXPECT_FALSE(KEPAteloIcon(file.chopped(4).toUtf8().constData()).isNull()) << file.toStdString();
    QSvgRenderer drawing(":/icons/" + file);
    EXPECT_TRUE(drawing.isValid() && drawing.viewBox() == QRect(0, 0, 24, 24))
        << file.toStdString();
  }
  EXPECT_TRUE(KEPAteloIcon("nosuchicon").isNull());
}

}  // namespace
