// The command icons: every name of the command tables has one, drawn from
// a valid SVG file at any size.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include "document/KEPAteloIcons.h"

namespace {

TEST(Icons, EveryCommandHasADrawing) {
  const char* names[] = {"i3std001", "i3std002", "i3std003", "i3std004", "i3std005", "i3std006",
                         "i3std007", "i3std008", "i3std009", "i3std010", "i3std019", "atvserec",
                         "atvsecir", "atvseseg", "atvsehnd", "atvin",    "atvout",   "atvleft",
                         "atvright", "atvsymv",  "atvsymh",  "atvsize",  "atvcrop",  "atvdrrec",
                         "atvdrfrc", "atvdrcir", "atvdrfcr", "atvdrseg", "atvdrfsg", "atvdrhnd",
                         "atvdrfhd", "atvpaint", "atvspray", "atvcolor", "atvfbwd",  "atvbwd",
                         "atvstop",  "atvfwd",   "atvffwd",  "i3n4d005"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(KEPAteloIcon(name).isNull());
    QSvgRenderer drawing(QString(":/icons/%1.svg").arg(name));
    ASSERT_TRUE(drawing.isValid());
    for (int size : {16, 96}) {
      QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
      picture.fill(Qt::transparent);
      QPainter painter(&picture);
      drawing.render(&painter);
      painter.end();
      int inked = 0;
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) inked += qAlpha(picture.pixel(x, y)) > 0;
      EXPECT_GT(inked, size * size / 20) << size;
    }
  }
  EXPECT_TRUE(KEPAteloIcon("nosuchicon").isNull());
}

}  // namespace
