#include "foldertree/ImageList.h"

#include <gtest/gtest.h>

TEST(ImageList, RemovingClosesGapsAndIndicesFollow)
{
    ImageList list;
    list.create(QSize(16, 16));
    const QStringList keys = {"a", "b", "c", "d", "e", "f"};
    for (const QString& key : keys)
        list.addIcon(QIcon(), key);

    const std::vector<int> removed = {1, 3, 4};
    list.removeIndices(removed);
    ASSERT_EQ(list.count(), 3);
    for (int kept : {0, 2, 5})
        EXPECT_EQ(list.key(ImageList::indexAfterRemoval(kept, removed)), keys[kept]) << kept;

    // Indices outside the list remove nothing.
    list.removeIndices({-1, 3, 40});
    EXPECT_EQ(list.count(), 3);
    list.removeIndices({0, 1, 2});
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(list.icon(0).isNull() && list.key(-1).isEmpty());
}
