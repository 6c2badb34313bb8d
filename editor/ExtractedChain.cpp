#include "editor/ExtractedChain.h"

#include "editor/SceneTextureList.h"
#include "resources/Strings.h"
#include "texture/chain/ImageChainWrite.h"
#include "texture/chain/MipChainNaming.h"

#include <QFile>
#include <QStringList>

#include <algorithm>

namespace {

// The dialog's filters, in the order it offers them, and the kind each writes.
struct ExtractFilter {
    const char* filter;
    TextureFileKind kind;
};

constexpr ExtractFilter kExtractFilters[] = {
    {kTgaFileFilter, TextureFileKind::tga},
    {kPngFileFilter, TextureFileKind::png},
    {kDdsFileFilter, TextureFileKind::dds},
    {kDdsPaletteFileFilter, TextureFileKind::ddsPalette},
};

}  // namespace

FileDialogRequest ExtractRequest(const T3D_TEXTURE& texture, TextureFileKind kind, QString* filterChosen)
{
    FileDialogRequest request;
    QStringList filters;
    for (const ExtractFilter& entry : kExtractFilters) {
        filters.append(QString::fromLatin1(entry.filter));
        if (entry.kind == kind)
            request.selectedFilter = filters.back();
    }
    request.titleFormat = kExtractDialogTitle;
    request.title = request.titleFormat.arg(QString::fromLatin1(ExtensionOf(kind) + 1));
    request.filter = filters.join(QStringLiteral(";;"));
    request.defaultSuffix = kTgaDefaultSuffix;
    request.startName = SceneTextureList::TextureName(texture);
    request.filterChosen = filterChosen;
    return request;
}

TextureFileKind ExtractedKind(const QString& chosen, const QString& filterChosen)
{
    const TextureFileKind kind = KindOfFileName(QFile::encodeName(chosen).toStdString()).value_or(TextureFileKind::tga);
    if (kind == TextureFileKind::dds && filterChosen == QLatin1String(kDdsPaletteFileFilter))
        return TextureFileKind::ddsPalette;
    return kind;
}

std::vector<std::string> ExtractedFiles(const T3D_TEXTURE& texture, const QString& chosen)
{
    const std::string first = QFile::encodeName(chosen).toStdString();
    const std::optional<TextureFileKind> kind = KindOfFileName(first);
    if (kind && HoldsOneFile(*kind))
        return {first};
    const int levels = std::min<int>(texture.levelCount, kMaxTextureLevels);
    std::vector<std::string> files;
    PlanChainNames(first, LevelsWithPixels(texture.width, texture.height, levels), files);
    return files;
}

bool WriteExtractedChain(const T3D_TEXTURE& texture, const QString& chosen, TextureFileKind kind,
                         const std::string& sceneFile, TextureReport& report)
{
    ImageWriteOptions options;
    options.inputs.add(sceneFile);
    return WriteTextureFiles(QFile::encodeName(chosen).toStdString(), texture, {kind}, report, options);
}
