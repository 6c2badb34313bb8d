#include "editor/EditorSettings.h"

#include "resources/ResourceIds.h"
#include "resources/Version.h"

#include <QFileInfo>

#include <utility>

namespace {

constexpr const char* kOrganisation = "Quorrel";
constexpr const char* kRecentScenesKey = "recentScenes";
constexpr const char* kKeepSceneFormatKey = "replace/keepSceneFormat";
constexpr const char* kMipFilterKey = "replace/generatedLevels";
constexpr const char* kBoxFilterValue = "box";
constexpr const char* kPointFilterValue = "point";
constexpr const char* kStaleLevelsKey = "replace/smallerLevels";
constexpr const char* kFlagsKey = "replace/flags";
constexpr const char* kKeepSceneNameKey = "replace/keepSceneName";
constexpr const char* kDitherKey = "replace/dither";
constexpr const char* kAsItGoesInKey = "view/asItGoesIn";
constexpr const char* kAskValue = "ask";
constexpr const char* kRebuildValue = "rebuild";
constexpr const char* kFilesValue = "files";
constexpr const char* kKeepValue = "keep";
constexpr const char* kNameValue = "name";
constexpr const char* kExtractFormatKey = "extract/format";
constexpr const char* kWindowGeometryKey = "window/geometry";
constexpr const char* kPackFolderKey = "texturePack/folder";
constexpr const char* kPackFormatKey = "texturePack/format";
// Before DDS, the export's kind was this flag: PNG or TGA.
constexpr const char* kPackPngKey = "texturePack/png";
constexpr const char* kChannelsKey = "view/channels";
constexpr const char* kLinkedKey = "view/linked";
constexpr const char* kDifferenceKey = "view/difference";

// The channel choices as the settings spell them.
constexpr std::pair<Channels, const char*> kChannelValues[] = {
    {Channels::RgbAlpha, "rgba"}, {Channels::Rgb, "rgb"},   {Channels::Red, "red"},
    {Channels::Green, "green"},   {Channels::Blue, "blue"}, {Channels::Alpha, "alpha"},
};

// The kinds of files as the settings name them.
constexpr std::pair<TextureFileKind, const char*> kKindValues[] = {
    {TextureFileKind::tga, "tga"},
    {TextureFileKind::png, "png"},
    {TextureFileKind::dds, "dds"},
    {TextureFileKind::ddsPalette, "dds-palette"},
};

const char* KindValue(TextureFileKind kind)
{
    for (const auto& [known, value] : kKindValues)
        if (known == kind)
            return value;
    return kKindValues[0].second;
}

TextureFileKind KindOfValue(const QString& value, TextureFileKind otherwise)
{
    for (const auto& [kind, known] : kKindValues)
        if (value == QLatin1String(known))
            return kind;
    return otherwise;
}

QString FolderKey(FileDialogKind dialog)
{
    switch (dialog) {
    case FileDialogKind::LoadScene:
        return QStringLiteral("folders/loadScene");
    case FileDialogKind::SaveScene:
        return QStringLiteral("folders/saveScene");
    case FileDialogKind::Extract:
        return QStringLiteral("folders/extract");
    }
    return QString();
}

}  // namespace

EditorSettings::EditorSettings() : settings_(QSettings::UserScope, kOrganisation, kQuorrelInternalName)
{
}

QStringList EditorSettings::recentScenes() const
{
    return settings_.value(kRecentScenesKey).toStringList().mid(0, kRecentSceneCount);
}

void EditorSettings::addRecentScene(const QString& path)
{
    const QString file = QFileInfo(path).absoluteFilePath();
    QStringList scenes = recentScenes();
    scenes.removeAll(file);
    scenes.prepend(file);
    settings_.setValue(kRecentScenesKey, scenes.mid(0, kRecentSceneCount));
}

QString EditorSettings::lastFolder(FileDialogKind dialog) const
{
    return settings_.value(FolderKey(dialog)).toString();
}

void EditorSettings::setLastFolder(FileDialogKind dialog, const QString& chosenFile)
{
    settings_.setValue(FolderKey(dialog), QFileInfo(chosenFile).absolutePath());
}

bool EditorSettings::keepSceneFormat() const
{
    return settings_.value(kKeepSceneFormatKey, false).toBool();
}

void EditorSettings::setKeepSceneFormat(bool keep)
{
    settings_.setValue(kKeepSceneFormatKey, keep);
}

bool EditorSettings::keepSceneName() const
{
    return settings_.value(kKeepSceneNameKey, false).toBool();
}

void EditorSettings::setKeepSceneName(bool keep)
{
    settings_.setValue(kKeepSceneNameKey, keep);
}

bool EditorSettings::dither() const
{
    return settings_.value(kDitherKey, true).toBool();
}

void EditorSettings::setDither(bool dither)
{
    settings_.setValue(kDitherKey, dither);
}

bool EditorSettings::showsAsItGoesIn() const
{
    return settings_.value(kAsItGoesInKey, true).toBool();
}

void EditorSettings::setShowsAsItGoesIn(bool shows)
{
    settings_.setValue(kAsItGoesInKey, shows);
}

MipFilter EditorSettings::mipFilter() const
{
    return settings_.value(kMipFilterKey).toString() == QLatin1String(kBoxFilterValue) ? MipFilter::box
                                                                                       : MipFilter::point;
}

void EditorSettings::setMipFilter(MipFilter filter)
{
    settings_.setValue(kMipFilterKey, filter == MipFilter::box ? kBoxFilterValue : kPointFilterValue);
}

StaleLevelsChoice EditorSettings::staleLevels() const
{
    const QString value = settings_.value(kStaleLevelsKey).toString();
    if (value == QLatin1String(kRebuildValue))
        return StaleLevelChoice::rebuild;
    return value == QLatin1String(kFilesValue) ? StaleLevelChoice::files : StaleLevelsChoice();
}

void EditorSettings::setStaleLevels(StaleLevelsChoice choice)
{
    const char* value = choice == StaleLevelChoice::rebuild ? kRebuildValue
                        : choice == StaleLevelChoice::files ? kFilesValue
                                                            : kAskValue;
    settings_.setValue(kStaleLevelsKey, value);
}

FlagsChoice EditorSettings::replaceFlags() const
{
    const QString value = settings_.value(kFlagsKey).toString();
    if (value == QLatin1String(kKeepValue))
        return FlagsChoice::KeepScene;
    return value == QLatin1String(kNameValue) ? FlagsChoice::TakeName : FlagsChoice::Ask;
}

void EditorSettings::setReplaceFlags(FlagsChoice choice)
{
    const char* value = choice == FlagsChoice::KeepScene  ? kKeepValue
                        : choice == FlagsChoice::TakeName ? kNameValue
                                                          : kAskValue;
    settings_.setValue(kFlagsKey, value);
}

TextureFileKind EditorSettings::extractKind() const
{
    return KindOfValue(settings_.value(kExtractFormatKey).toString(), TextureFileKind::tga);
}

void EditorSettings::setExtractKind(TextureFileKind kind)
{
    settings_.setValue(kExtractFormatKey, KindValue(kind));
}

QByteArray EditorSettings::windowGeometry() const
{
    return settings_.value(kWindowGeometryKey).toByteArray();
}

void EditorSettings::setWindowGeometry(const QByteArray& geometry)
{
    settings_.setValue(kWindowGeometryKey, geometry);
}

ExportChoice EditorSettings::exportChoice() const
{
    const TextureFileKind before =
        settings_.value(kPackPngKey, false).toBool() ? TextureFileKind::png : TextureFileKind::tga;
    return {settings_.value(kPackFolderKey).toString(),
            KindOfValue(settings_.value(kPackFormatKey).toString(), before)};
}

void EditorSettings::setExportChoice(const ExportChoice& choice)
{
    setPackFolder(choice.folder);
    settings_.setValue(kPackFormatKey, KindValue(choice.kind));
    settings_.remove(kPackPngKey);
}

void EditorSettings::setPackFolder(const QString& folder)
{
    settings_.setValue(kPackFolderKey, QFileInfo(folder).absoluteFilePath());
}

ViewChoices EditorSettings::viewChoices() const
{
    ViewChoices choices;
    const QString channels = settings_.value(kChannelsKey).toString();
    for (const auto& [value, name] : kChannelValues)
        if (channels == QLatin1String(name))
            choices.channels = value;
    choices.linked = settings_.value(kLinkedKey, choices.linked).toBool();
    choices.difference = settings_.value(kDifferenceKey, choices.difference).toBool();
    return choices;
}

void EditorSettings::setViewChoices(const ViewChoices& choices)
{
    for (const auto& [value, name] : kChannelValues)
        if (choices.channels == value)
            settings_.setValue(kChannelsKey, name);
    settings_.setValue(kLinkedKey, choices.linked);
    settings_.setValue(kDifferenceKey, choices.difference);
}
