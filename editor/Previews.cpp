#include "editor/Previews.h"

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

bool HasPicture(const T3D_TEXTURE& record)
{
    return record.width > 0 && record.height > 0 && record.levelCount > 0;
}

Previews::Previews(PreviewFrame* sceneFrame, PreviewFrame* replacementFrame, QObject* parent)
    : QObject(parent), sceneFrame_(sceneFrame), replacementFrame_(replacementFrame)
{
}

PreviewFrame* Previews::frame(int frameId) const
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

void Previews::DrawTexture(const T3D_TEXTURE& record, int frameId)
{
    drawLevel(record, frameId, 0);
}

void Previews::drawLevel(const T3D_TEXTURE& record, int frameId, int level)
{
    PreviewFrame* target = frame(frameId);
    if (!target)
        return;
    const int lastLevel = std::min<int>(record.levelCount, kMaxTextureLevels) - 1;
    level = std::clamp(level, 0, std::max(lastLevel, 0));
    const bool shown = HasPicture(record);
    const bool notes = shown && frameId == kReplacementFrameId;
    QString caption = shown ? LevelCaption(record, level) : QString();
    if (notes && !captionNote_.isEmpty())
        caption += '\n' + captionNote_;
    target->setPicture(PreviewImage(record, target->clientSize(), level), level, caption);
    if (frameId == kReplacementFrameId) {
        replacementSummary_ = shown ? TextureSummary(record) : QString();
        setReplacementNotes(captionNote_, tooltipNote_);
    }
}

void Previews::ClearFrame(int frameId)
{
    if (PreviewFrame* target = frame(frameId)) {
        target->clear();
        target->setToolTip(QString());
        if (frameId == kReplacementFrameId)
            replacementSummary_.clear();
    }
}

void Previews::redraw(const T3D_TEXTURE* record, int frameId)
{
    if (const PreviewFrame* target = frame(frameId); target && record)
        drawLevel(*record, frameId, target->level());
}

void Previews::stepLevel(const T3D_TEXTURE* record, int frameId, int step)
{
    if (const PreviewFrame* target = frame(frameId); target && record)
        drawLevel(*record, frameId, target->level() + step);
}

void Previews::setReplacementNotes(QString caption, QString tooltip)
{
    captionNote_ = std::move(caption);
    tooltipNote_ = std::move(tooltip);
    if (replacementSummary_.isEmpty())
        replacementFrame_->setToolTip(QString());
    else
        replacementFrame_->setToolTip(replacementSummary_ +
                                      (tooltipNote_.isEmpty() ? QString() : QStringLiteral("\n") + tooltipNote_));
}
