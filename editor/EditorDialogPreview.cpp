// EditorDialog's preview handlers: DrawTexture, ClearFrame, RedrawPreviews, OnPreviewLevelStep.
#include "editor/EditorDialog.h"

#include "editor/PreviewFrame.h"
#include "editor/PreviewImage.h"
#include "resources/DialogTemplate.h"

#include <QStringList>

#include <algorithm>

namespace {

// The caption of a frame that shows a level: "level 2 · 64 x 64".
QString LevelCaption(const T3D_TEXTURE& record, int level)
{
    return QStringLiteral("level %1 \u00B7 %2 x %3")
        .arg(level)
        .arg(LevelWidth(record, level))
        .arg(LevelHeight(record, level));
}

// The replacement frame's tooltip: size, depth, levels and the flags set, by
// the names of their check boxes.
QString TextureSummary(const T3D_TEXTURE& record)
{
    QStringList flags;
    int bit = 0;
    for (const ControlTemplate& control : kMainDialogControls) {
        if (control.kind != ControlKind::FlagBox)
            continue;
        if (record.flags & (1u << bit))
            flags.append(QString::fromLatin1(control.text));
        ++bit;
    }
    return QStringLiteral("%1 x %2 \u00B7 %3 bit \u00B7 %4 %5\nFlags: %6")
        .arg(record.width)
        .arg(record.height)
        .arg(record.depth)
        .arg(record.levelCount)
        .arg(record.levelCount == 1 ? QStringLiteral("level") : QStringLiteral("levels"))
        .arg(flags.isEmpty() ? QStringLiteral("none") : flags.join(QStringLiteral(", ")));
}

}  // namespace

bool EditorDialog::HasPicture(const T3D_TEXTURE& record)
{
    return record.width > 0 && record.height > 0 && record.levelCount > 0;
}

PreviewFrame* EditorDialog::frame(int frameId) const
{
    switch (frameId) {
    case kSceneFrameId:
        return sceneFrame_;
    case kReplacementFrameId:
        return replacementFrame_;
    default:
        return nullptr;
    }
}

const T3D_TEXTURE* EditorDialog::shownTexture(int frameId)
{
    if (frameId == kSceneFrameId)
        return textureSelected_ ? sceneTexture(selectedIndex_) : nullptr;
    if (frameId == kReplacementFrameId)
        return replacementChosen_ ? &replacement_.record() : nullptr;
    return nullptr;
}

void EditorDialog::DrawTexture(const T3D_TEXTURE& record, int frameId)
{
    drawLevel(record, frameId, 0);
}

void EditorDialog::drawLevel(const T3D_TEXTURE& record, int frameId, int level)
{
    PreviewFrame* target = frame(frameId);
    if (!target)
        return;
    const int lastLevel = std::min<int>(record.levelCount, kMaxTextureLevels) - 1;
    level = std::clamp(level, 0, std::max(lastLevel, 0));
    const bool shown = HasPicture(record);
    target->setPicture(PreviewImage(record, target->clientSize(), level), level,
                       shown ? LevelCaption(record, level) : QString());
    if (frameId == kReplacementFrameId)
        target->setToolTip(shown ? TextureSummary(record) : QString());
}

void EditorDialog::ClearFrame(int frameId)
{
    if (PreviewFrame* target = frame(frameId)) {
        target->clear();
        target->setToolTip(QString());
    }
}

void EditorDialog::OnPreviewLevelStep(int frameId, int step)
{
    const PreviewFrame* target = frame(frameId);
    const T3D_TEXTURE* texture = shownTexture(frameId);
    if (target && texture)
        drawLevel(*texture, frameId, target->level() + step);
}

void EditorDialog::RedrawPreviews()
{
    for (int frameId : {kSceneFrameId, kReplacementFrameId}) {
        if (const T3D_TEXTURE* texture = shownTexture(frameId))
            drawLevel(*texture, frameId, frame(frameId)->level());
    }
}
