#include "editor/DroppedFile.h"

#include "texture/chain/TextureFileReader.h"

#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

DroppedFile KindOfDrop(const QMimeData* data, QString* path)
{
    if (!data || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return DroppedFile::None;
    const QString file = data->urls().first().toLocalFile();
    if (path)
        *path = file;
    if (QFileInfo(file).suffix().toLower() == QLatin1String("t3d"))
        return DroppedFile::Scene;
    if (IsTextureFileName(QFile::encodeName(file).toStdString()))
        return DroppedFile::Texture;
    return DroppedFile::None;
}

DroppedFile DropAt(const QDropEvent& event, const QWidget* window, const QWidget* frame, QString* path)
{
    const DroppedFile kind = KindOfDrop(event.mimeData(), path);
    const bool overFrame = frame->rect().contains(frame->mapFrom(window, event.position().toPoint()));
    return kind == DroppedFile::Texture && !overFrame ? DroppedFile::None : kind;
}
