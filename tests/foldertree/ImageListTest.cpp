#include "foldertree/ImageList.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <vector>

namespace {

QStringList Keys(const ImageList& list)
{
    QStringList keys;
    for (int i = 0; i < list.count(); ++i)
        keys.append(list.key(i));
    return keys;
}

} // namespace

TEST(ImageList, StripIsCutIntoWholeImagesOfTheListWidth)
{
    struct Case {
        int imageWidth;
        int stripWidth;
        int expectedImages;
    };
    const Case cases[] = {{16, 32, 2}, {16, 47, 2}, {16, 48, 3}, {32, 32, 1}, {24, 32, 1}, {48, 32, 0}};
    for (const Case& c : cases) {
        ImageList list;
        list.create(QSize(c.imageWidth, c.imageWidth));
        list.addIcon(QIcon(), "before");
        QPixmap strip(c.stripWidth, 32);
        strip.fill(Qt::white);
        const int first = list.addStrip(strip);
        EXPECT_EQ(first, c.expectedImages ? 1 : -1) << c.imageWidth << " in " << c.stripWidth;
        EXPECT_EQ(list.count(), 1 + c.expectedImages) << c.imageWidth << " in " << c.stripWidth;
        for (int i = 1; i < list.count(); ++i) {
            const QImage image = list.icon(i).pixmap(list.imageSize()).toImage();
            EXPECT_EQ(image.size(), list.imageSize());
            EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(Qt::white));
        }
    }
}

TEST(ImageList, RemovingClosesGapsAndIndicesFollow)
{
    ImageList list;
    list.create(QSize(16, 16));
    for (const char* key : {"a", "b", "c", "d", "e", "f"}) {
        const int next = list.count();
        EXPECT_EQ(list.addIcon(QIcon(), key), next);
    }

    const std::vector<int> removed = {1, 3, 4};
    list.removeIndices(removed);
    EXPECT_EQ(Keys(list), QStringList({"a", "c", "f"}));

    // Each kept image is found where indexAfterRemoval says it went.
    const char* before[] = {"a", "b", "c", "d", "e", "f"};
    for (int index : {0, 2, 5})
        EXPECT_EQ(list.key(ImageList::indexAfterRemoval(index, removed)), before[index]) << index;
    EXPECT_EQ(ImageList::indexAfterRemoval(0, {}), 0);
    EXPECT_EQ(ImageList::indexAfterRemoval(7, {0, 1, 2}), 4);

    // Indices outside the list remove nothing; nothing removed keeps all.
    list.removeIndices({-1, 3, 40});
    list.removeIndices({});
    EXPECT_EQ(Keys(list), QStringList({"a", "c", "f"}));

    list.removeIndices({0, 1, 2});
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(list.icon(0).isNull());
    EXPECT_TRUE(list.key(-1).isEmpty());

    list.addIcon(QIcon(), "g");
    list.create(QSize(20, 20));
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.imageSize(), QSize(20, 20));
}
