#include "editor/ReplaceOutcome.h"

#include "editor/SceneTextureList.h"
#include "resources/Strings.h"
#include "texture/TextureFlags.h"

#include <QStringList>

#include <utility>

namespace {

QString SideOf(const TextureShape& shape, bool depth)
{
    QString side = QStringLiteral("%1 x %2").arg(shape.width).arg(shape.height);
    if (depth)
        side += QStringLiteral(", %1 bit").arg(shape.depth);
    return side + QStringLiteral(", %1 %2").arg(shape.levels).arg(shape.levels == 1 ? "level" : "levels");
}

QString FlagChange(uint32_t from, uint32_t to)
{
    return QString::fromStdString(FlagChangeText(from, to));
}

}  // namespace

TextureShape ShapeOf(const T3D_TEXTURE& record)
{
    return {record.width, record.height, record.depth, record.levelCount, record.flags};
}

TextureShape ReplacedShape(const T3D_TEXTURE& scene, const T3D_TEXTURE& replacement, bool sceneFormat, bool nameFlags)
{
    TextureShape shape = ShapeOf(replacement);
    if (sceneFormat)
        shape.depth = scene.depth;
    shape.flags = ReplacedFlags(scene.flags, replacement.flags, nameFlags);
    return shape;
}

bool FlagsDiffer(const T3D_TEXTURE& scene, const T3D_TEXTURE& replacement)
{
    return (scene.flags & kChosenFlags) != (replacement.flags & kChosenFlags);
}

QString ShapeChange(const TextureShape& before, const TextureShape& after, bool flags)
{
    const bool depths = before.depth != after.depth;
    QString text = SideOf(before, depths) + QStringLiteral(" -> ") + SideOf(after, depths);
    const QString changed = FlagChange(before.flags, after.flags);
    if (flags && !changed.isEmpty())
        text += QStringLiteral("; ") + changed;
    return text;
}

QString ReplaceWouldText(const T3D_TEXTURE& scene, const T3D_TEXTURE& replacement, bool sceneFormat, FlagsChoice flags)
{
    const TextureShape before = ShapeOf(scene);
    const TextureShape kept = ReplacedShape(scene, replacement, sceneFormat, false);
    const TextureShape taken = ReplacedShape(scene, replacement, sceneFormat, true);
    const QString line = QString::fromLatin1(kReplaceWouldText).arg(SceneTextureList::TextureName(scene));
    if (flags != FlagsChoice::Ask || !FlagsDiffer(scene, replacement))
        return line.arg(ShapeChange(before, flags == FlagsChoice::TakeName ? taken : kept, true));
    QStringList lines = {line.arg(ShapeChange(before, kept, false)) + QString::fromLatin1(kReplaceAsksFlagsText)};
    for (const auto& [text, after] : {std::pair(kKeepingFlagsText, kept), std::pair(kTakingFlagsText, taken)}) {
        const QString changed = FlagChange(before.flags, after.flags);
        lines.append(
            QString::fromLatin1(text).arg(changed.isEmpty() ? QString::fromLatin1(kNoFlagChangeText) : changed));
    }
    return lines.join('\n');
}

QString RenameText(const ReplacementOutcome& outcome, const VK7Q_HEADER& scene, int index)
{
    if (outcome.renamedFrom.empty())
        return QString();
    const QString name = SceneTextureList::TextureName(scene.textures[index]);
    QString text =
        QString::fromLatin1(kRenamedStatusPart).arg(name, QString::fromLocal8Bit(outcome.renamedFrom.c_str()));
    const int other = OtherTextureNamed(scene, index);
    if (other >= 0)
        text += QString::fromLatin1(kSameNameStatusPart).arg(other).arg(name);
    return text;
}
