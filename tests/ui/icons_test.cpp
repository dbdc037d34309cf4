// Our own pictures: every one of the right size, with something drawn, and
// no two commands sharing a picture.
#include <gtest/gtest.h>

#include <QSet>

#include "ui/icons.h"

using zelmaro::ui::IconId;

TEST(Icons, SizesAndDistinctPictures) {
  QSet<QString> seen;
  for (int i = 0; i <= static_cast<int>(IconId::Balance); ++i) {
    const auto id = static_cast<IconId>(i);
    const QStringList& rows = zelmaro::ui::IconPicture(id);
    const int size = id == IconId::Balance ? 32 : 16;
    ASSERT_EQ(rows.size(), size) << i;
    for (const QString& row : rows) EXPECT_EQ(row.size(), size) << i;
    const QImage image = zelmaro::ui::IconImage(id);
    EXPECT_EQ(image.size(), QSize(size, size));
    int drawn = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const QRgb px = image.pixel(x, y);
        if (qAlpha(px) != 0) ++drawn;
        EXPECT_NE(px, qRgb(255, 0, 255)) << "unknown colour in picture " << i;
      }
    }
    EXPECT_GT(drawn, size * 2) << i;
    const QString key = rows.join(QString());
    EXPECT_FALSE(seen.contains(key)) << i;
    seen.insert(key);
  }
}
