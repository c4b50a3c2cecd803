// Every command of the menu bar and the toolbars, and that it runs; the
// toolbars' sides, the icons, the file boxes' types and the window's size
// on a small screen.
#include <gtest/gtest.h>

#include <QSvgRenderer>
#include <QToolBar>
#include <algorithm>

#include "document/DocumentFixture.h"
#include "document/KEPAteloFileTypes.h"
#include "document/KEPAteloIcons.h"

namespace {

struct Command {
  const char* menu;  // sub-menu, or the toolbar
  const char* name;
  const char* label;  // with "&" before the mnemonic
  const char* help;
  const char* shortcut;
};

const Command kCommands[] = {
    {"fileSubMenu", "newItem", "&New...", "Create New Image", "Ctrl+N"},
    {"fileSubMenu", "openItem", "&Open...", "Open Image Files", "Ctrl+O"},
    {"fileSubMenu", "closeItem", "&Close", "Close Current Image", ""},
    {"fileSubMenu", "closeAllItem", "C&lose All", "Close All Images", ""},
    {"fileSubMenu", "saveItem", "&Save", "Save Current Image", "Ctrl+S"},
    {"fileSubMenu", "saveAsItem", "Save &As...", "Save Current Image With New Name", ""},
    {"fileSubMenu", "saveAllItem", "Sa&ve All", "Save All Images", ""},
    {"fileSubMenu", "printItem", "&Print...", "Print Current Image", "Ctrl+P"},
    {"fileSubMenu", "printManagerItem", "Printer Set&up...", "Printer Setup", "Ctrl+U"},
    {"fileSubMenu", "shellPrintItem", "S&hell Print...", "Print Current Image Via Shell", "Ctrl+H"},
    {"editSubMenu", "undoItem", "&Undo", "Undo Last Action", "Ctrl+Z"},
    {"editSubMenu", "redoItem", "&Redo", "Redo Last Action", "Ctrl+Y"},
    {"editSubMenu", "copyItem", "&Copy", "Copy Selected Area", "Ctrl+C"},
    {"editSubMenu", "copyWholeItem", "Copy &Whole Image", "Copy Whole Image", ""},
    {"editSubMenu", "cutItem", "Cu&t", "Cut Selected Area", "Ctrl+X"},
    {"editSubMenu", "pasteItem", "&Paste", "Paste Selected Area", "Ctrl+V"},
    {"editSubMenu", "pastePartItem", "&Special Paste", "Paste Selected Area as 16th", ""},
    {"viewSubMenu", "logoItem", "&Logo", "Show/Hide Logo", ""},
    {"viewSubMenu", "BackgroundItem", "&Background...", "Show/Hide Background Image", ""},
    {"viewSubMenu", "editChkItem", "&Edit Toolbar", "Show/Hide Edit Toolbar", ""},
    {"viewSubMenu", "playbackChkItem", "&Playback Toolbar", "Show/Hide Playback Toolbar", ""},
    {"viewSubMenu", "drawChkItem", "&Draw Toolbar", "Show/Hide Draw Toolbar", ""},
    {"viewSubMenu", "gridItem", "&Grid", "Show/Hide Grid", "Ctrl+G"},
    {"viewSubMenu", "fullScreenItem", "&Full Screen", "Full Screen Viewer", "Ctrl+F"},
    {"viewSubMenu", "fitItem", "Fit to &Window", "Fit Image To Window", "Ctrl+W"},
    {"viewSubMenu", "reframeItem", "&Reframe", "Restore Initial Viewpoint", "Ctrl+R"},
    {"viewSubMenu", "stereoItem", "Stereoscop&y", "Activate Stereoscopy (3D)", ""},
    {"viewSubMenu", "seriesItem", "S&eries...", "Show List Of Loaded Images", "Ctrl+E"},
    {"viewSubMenu", "infoItem", "&Image Information...", "Show Information On Current Image",
     "Ctrl+I"},
    {"viewSubMenu", "formatsItem", "Supported Form&ats...",
     "Show Information On Supported Image Formats", "Ctrl+A"},
    {"viewSubMenu", "messageItem", "&Messages...", "Show Messages Window", "Ctrl+M"},
    {"processSubMenu", "interruptItem", "&Interrupt", "Interrupt Rendering", "Ctrl+Esc"},
    {"toolsSubMenu", "composeItem", "&Compose...", "Compose New Image With Series", ""},
    {"toolsSubMenu", "lisseItem", "&Smooth...", "Smooth Current Image", ""},
    {"toolsSubMenu", "blurItem", "&Blur", "Blur Current Image", ""},
    {"toolsSubMenu", "lightItem", "Color &Analysis...", "Analyse Color on Current Image", ""},
    {"toolsSubMenu", "glowItem", "&Glow...", "Add Glow Effects on Current Image", ""},
    {"toolsSubMenu", "luminosityItem", "&Luminosity Analysis...",
     "Analyse luminosity on Current Image", ""},
    {"settingsSubMenu", "defaultsItem", "&Defaults...", "Modify Defaults Setup", ""},
    {"settingsSubMenu", "logoSetupItem", "&Logo...", "Modify Logo Setup", ""},
    {"settingsSubMenu", "toolsSetupItem", "&Tools...", "Modify Tools Parameters", ""},
    {"helpSubMenu", "contentsItem", "&Contents...", "Show Help Contents", "F1"},
    {"helpSubMenu", "interfaceItem", "&Interface Description...", "Show Interface Description",
     "F2"},
    {"editToolBar", "newButton", "New", "Create New Image", ""},
    {"editToolBar", "openButton", "Open", "Open Image Files", ""},
    {"editToolBar", "saveButton", "Save", "Save Current Image", ""},
    {"editToolBar", "printButton", "Print", "Print Current Image", ""},
    {"editToolBar", "cutButton", "Cut", "Cut Selected Area", ""},
    {"editToolBar", "copyButton", "Copy", "Copy Selected Area", ""},
    {"editToolBar", "pasteButton", "Paste", "Paste Selection", ""},
    {"editToolBar", "undoButton", "Undo", "Undo Last Command", ""},
    {"editToolBar", "redoButton", "Redo", "Redo Last Command", ""},
    {"editToolBar", "reframeButton", "Reframe", "Reframe Image", ""},
    {"drawToolBar", "selRecButton", "Rect Sel", "Rectangle Selection Tool", ""},
    {"drawToolBar", "selCirButton", "Circ Sel", "Circle Selection Tool", ""},
    {"drawToolBar", "selSegButton", "Seg Sel", "Polygon Selection Tool", ""},
    {"drawToolBar", "selHandButton", "Hand Sel", "Hand Selection Tool", ""},
    {"drawToolBar", "selSideButton", "In", "Selection Side", ""},
    {"drawToolBar", "leftButton", "Rot Left", "Counter Clockwise Rotation", ""},
    {"drawToolBar", "rightButton", "Rot Right", "Clockwise Rotation", ""},
    {"drawToolBar", "symvButton", "Vert Sym", "Vertical Flip", ""},
    {"drawToolBar", "symhButton", "Horiz Sym", "Horizontal Flip", ""},
    {"drawToolBar", "sizeButton", "Resize", "Change Image Size", ""},
    {"drawToolBar", "cropButton", "Crop", "Crop Image Area", ""},
    {"drawToolBar", "recButton", "Rectangle", "Rectangle Tool", ""},
    {"drawToolBar", "filledRecButton", "Filled Rect", "Filled Rectangle Tool", ""},
    {"drawToolBar", "circleButton", "Circle", "Circle Tool", ""},
    {"drawToolBar", "filledCircleButton", "Filled Circ", "Filled Circle Tool", ""},
    {"drawToolBar", "segButton", "Line", "Line Tool", ""},
    {"drawToolBar", "filledSegButton", "Filled Poly", "Filled Polygone Tool", ""},
    {"drawToolBar", "handButton", "Hand Draw", "Hand Draw Tool", ""},
    {"drawToolBar", "filledHandButton", "Filled form", "Filled Hand Draw Tool", ""},
    {"drawToolBar", "paintButton", "Fill", "Paint Tool", ""},
    {"drawToolBar", "sprayButton", "Spray", "Spray Tool", ""},
    {"drawToolBar", "eraseButton", "Erase", "Erase Tool", ""},
    {"drawToolBar", "colorButton", "Colors", "Color Editor", ""},
    {"fileSubMenu", "exitItem", "E&xit", "Exit Program", "Ctrl+Q"},
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
  for (const Command& c : kCommands) {
    SCOPED_TRACE(c.name);
    QAction* action = doc.FindAction(c.name);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text().toStdString(), c.label);
    EXPECT_EQ(action->statusTip().toStdString(), c.help);
    EXPECT_EQ(action->shortcut(), QKeySequence(c.shortcut));
    QWidget* holder = doc.findChild<QWidget*>(c.menu);
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

TEST(Icons, EveryCommandHasADrawing) {
  const QStringList names =
      QString(
          "i3std001 i3std002 i3std003 i3std004 i3std005 i3std006 i3std007 i3std008 i3std009 "
          "i3std010 i3std019 atvserec atvsecir atvseseg atvsehnd atvin atvout atvleft "
          "atvright atvsymv atvsymh atvsize atvcrop atvdrrec atvdrfrc atvdrcir atvdrfcr "
          "atvdrseg atvdrfsg atvdrhnd atvdrfhd atvpaint atvspray atvcolor atvfbwd atvbwd "
          "atvstop atvfwd atvffwd i3n4d005")
          .split(' ');
  for (const QString& name : names) {
    EXPECT_FALSE(KEPAteloIcon(name.toUtf8().constData()).isNull()) << name.toStdString();
    QSvgRenderer drawing(":/icons/" + name + ".svg");
    EXPECT_TRUE(drawing.isValid() && drawing.viewBox() == QRect(0, 0, 24, 24))
        << name.toStdString();
  }
  EXPECT_TRUE(KEPAteloIcon("nosuchicon").isNull());
}

}  // namespace
