#include "foldertree/ImageList.h"

#include <algorithm>

void ImageList::create(QSize imageSize)
{
    imageSize_ = imageSize;
    images_.clear();
}

int ImageList::addStrip(const QPixmap& strip)
{
    const int width = imageSize_.width();
    if (width <= 0 || strip.width() < width)
        return -1;
    const int first = count();
    for (int x = 0; x + width <= strip.width(); x += width)
        images_.push_back({QIcon(strip.copy(x, 0, width, imageSize_.height())), QString()});
    return first;
}

int ImageList::addIcon(const QIcon& icon, const QString& key)
{
    images_.push_back({icon, key});
    return count() - 1;
}

void ImageList::removeIndices(const std::vector<int>& sortedIndices)
{
    auto removed = sortedIndices.begin();
    size_t kept = 0;
    for (size_t i = 0; i < images_.size(); ++i) {
        while (removed != sortedIndices.end() && *removed < static_cast<int>(i))
            ++removed;
        if (removed != sortedIndices.end() && *removed == static_cast<int>(i))
            continue;
        if (kept != i)
            images_[kept] = std::move(images_[i]);
        ++kept;
    }
    images_.resize(kept);
}

int ImageList::indexAfterRemoval(int index, const std::vector<int>& sortedRemoved)
{
    const auto below = std::lower_bound(sortedRemoved.begin(), sortedRemoved.end(), index);
    return index - static_cast<int>(below - sortedRemoved.begin());
}

QIcon ImageList::icon(int index) const
{
    return contains(index) ? images_[index].icon : QIcon();
}

QString ImageList::key(int index) const
{
    return contains(index) ? images_[index].key : QString();
}
