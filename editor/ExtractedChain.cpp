#include "editor/ExtractedChain.h"

#include "editor/SceneTextureList.h"
#include "resources/Strings.h"
#include "texture/chain/ImageChainWrite.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/chain/PngTextureWriter.h"
#include "texture/chain/TgaTextureWriter.h"

#include <QFile>

#include <algorithm>

FileDialogRequest ExtractRequest(const T3D_TEXTURE& texture, bool png)
{
    FileDialogRequest request;
    request.titleFormat = kExtractDialogTitle;
    request.title = request.titleFormat.arg(png ? kPngDefaultSuffix : kTgaDefaultSuffix);
    request.filter = QString::fromLatin1(kTgaFileFilter) + QStringLiteral(";;") + QString::fromLatin1(kPngFileFilter);
    request.defaultSuffix = kTgaDefaultSuffix;
    request.selectedFilter = png ? kPngFileFilter : kTgaFileFilter;
    request.startName = SceneTextureList::TextureName(texture);
    return request;
}

bool IsPngName(const QString& chosen)
{
    return chosen.endsWith(QLatin1String(kPngExtension), Qt::CaseInsensitive);
}

std::vector<std::string> ExtractedFiles(const T3D_TEXTURE& texture, const QString& chosen)
{
    const int levels = std::min<int>(texture.levelCount, kMaxTextureLevels);
    std::vector<std::string> files;
    PlanChainNames(QFile::encodeName(chosen).toStdString(), LevelsWithPixels(texture.width, texture.height, levels),
                   files);
    return files;
}

bool WriteExtractedChain(const T3D_TEXTURE& texture, const QString& chosen, const std::string& sceneFile,
                         TextureReport& report)
{
    ImageWriteOptions options;
    options.inputs.add(sceneFile);
    const QByteArray path = QFile::encodeName(chosen);
    return IsPngName(chosen) ? PngTextureWriter(path.constData(), texture, report, options)
                             : TgaTextureWriter(path.constData(), texture, report, options);
}
