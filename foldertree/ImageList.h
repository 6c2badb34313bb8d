// An indexed list of same-sized images, the icons a tree shows by index.
// Images are appended at the end and removed in one pass; removing closes the
// gap, so every image behind a removed one moves down. Whoever holds indices
// lowers them with indexAfterRemoval(). Each image carries a key naming what
// it was added for, so a holder can check that an index still shows its own
// image. Icons are stored as QIcon, which is implicitly shared: appending the
// same icon many times costs no pixel copies.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <vector>

class ImageList {
public:
    // Empties the list and sets the size of its images.
    void create(QSize imageSize);

    QSize imageSize() const { return imageSize_; }
    int count() const { return static_cast<int>(images_.size()); }

    // Cuts the strip, from its left edge, into as many whole images of the
    // list's width as it holds and appends them. Returns the index of the
    // first one, or -1 when the strip is narrower than one image.
    int addStrip(const QPixmap& strip);

    // Appends one icon; returns its index.
    int addIcon(const QIcon& icon, const QString& key = QString());

    // Removes the images at the given indices, ascending and without
    // repeats; indices outside the list are ignored.
    void removeIndices(const std::vector<int>& sortedIndices);

    // Where an image that sat at `index` lies once `sortedRemoved` are gone:
    // lowered by the number of removed indices below it.
    static int indexAfterRemoval(int index, const std::vector<int>& sortedRemoved);

    // The image at an index; a null icon and an empty key outside the list.
    QIcon icon(int index) const;
    QString key(int index) const;

private:
    struct Image {
        QIcon icon;
        QString key;
    };

    bool contains(int index) const { return index >= 0 && index < count(); }

    QSize imageSize_;
    std::vector<Image> images_;
};
