#include "editor/Previews.h"

#include "editor/PreviewFrame.h"
#include "editor/PreviewImage.h"
#include "resources/DialogTemplate.h"
#include "resources/ResourceIds.h"

#include <QAction>
#include <QStringList>

#include <algorithm>

namespace {

constexpr int kScene = 0;
constexpr int kReplacement = 1;

// The caption of a frame that shows a level: "level 2 · 64 x 64", then
// " · 400 %" when zoomed.
QString LevelCaption(const T3D_TEXTURE& record, int level, const FrameView& view)
{
    QString caption = QStringLiteral("level %1 \u00B7 %2 x %3")
                          .arg(level)
                          .arg(LevelWidth(record, level))
                          .arg(LevelHeight(record, level));
    if (!view.isFit())
        caption += QStringLiteral(" \u00B7 ") + ZoomText(view.zoomStep());
    return caption;
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

int KeptLevel(const T3D_TEXTURE& record, int level)
{
    const int lastLevel = std::min<int>(record.levelCount, kMaxTextureLevels) - 1;
    return std::clamp(level, 0, std::max(lastLevel, 0));
}

const uint8_t* LevelPixels(const T3D_TEXTURE& record, int level)
{
    return LevelHasPixels(record, level) ? record.levels[level] : nullptr;
}

}  // namespace

bool HasPicture(const T3D_TEXTURE& record)
{
    return record.width > 0 && record.height > 0 && record.levelCount > 0;
}

Previews::Previews(PreviewFrame* sceneFrame, PreviewFrame* replacementFrame, RecordSource source,
                   const ViewChoices& choices, QObject* parent)
    : QObject(parent), frames_{sceneFrame, replacementFrame},
      source_(std::move(source)), channels_{choices.channels, choices.channels}, linked_(choices.linked),
      difference_(choices.difference)
{
    for (int i : {kScene, kReplacement})
        takeCommands(i);
}

void Previews::takeCommands(int i)
{
    PreviewFrame* target = frames_[i];
    connect(target, &PreviewFrame::levelStepRequested, this,
            [this, i](int step) { stepLevel(source_(frameIdAt(i)), frameIdAt(i), step); });
    connect(target, &PreviewFrame::zoomRequested, this, [this, i](int steps, QPointF at) { zoomBy(i, steps, at); });
    connect(target, &PreviewFrame::panRequested, this, [this, i](QPoint delta) { pan(i, delta); });
    connect(target, &PreviewFrame::pointerMoved, this, [this, i](QPoint pixel) { showReadout(i, pixel); });
    connect(target, &PreviewFrame::focusTaken, this, [this, i] {
        current_ = i;
        emit channelsShown(channels_[i]);
    });
}

int Previews::index(int frameId) const
{
    return frameId == kSceneFrameId ? kScene : frameId == kReplacementFrameId ? kReplacement : -1;
}

int Previews::frameIdAt(int index) const
{
    return index == kScene ? kSceneFrameId : kReplacementFrameId;
}

PreviewFrame* Previews::frame(int frameId) const
{
    const int i = index(frameId);
    return i < 0 ? nullptr : frames_[i];
}

const FrameView& Previews::view(int frameId) const
{
    return views_[std::max(index(frameId), 0)];
}

Channels Previews::channels(int frameId) const
{
    return channels_[std::max(index(frameId), 0)];
}

void Previews::DrawTexture(const T3D_TEXTURE& record, int frameId)
{
    drawLevel(record, frameId, 0);
}

void Previews::drawLevel(const T3D_TEXTURE& record, int frameId, int level)
{
    const int i = index(frameId);
    if (i < 0)
        return;
    forget(i);
    show(i, record, level);
    follow(i);
}

void Previews::forget(int i)
{
    compared_.reset();
    alpha_[i].reset();
}

void Previews::show(int i, const T3D_TEXTURE& record, int level)
{
    PreviewFrame* target = frames_[i];
    level = KeptLevel(record, level);
    const bool shown = HasPicture(record);
    const QSize frameSize = target->clientSize();
    views_[i].keepWithin(frameSize, LevelSize(record, level));
    QString caption = shown ? LevelCaption(record, level, views_[i]) : QString();
    QImage picture;
    const T3D_TEXTURE* left = i == kReplacement && difference_ ? source_(kSceneFrameId) : nullptr;
    if (shown && left && HasPicture(*left)) {
        QString line;
        picture = differencePicture(*left, record, level, line);
        caption += '\n' + line;
    } else {
        picture = PreviewImage(record, frameSize, level, {views_[i], channels_[i], showsAlpha(i, record)});
    }
    if (shown && i == kReplacement && !captionNote_.isEmpty())
        caption += '\n' + captionNote_;
    target->setPicture(std::move(picture), level, caption);
    readTexel(i, record);
    if (i == kReplacement) {
        replacementSummary_ = shown ? TextureSummary(record) : QString();
        setReplacementNotes(captionNote_, tooltipNote_);
    }
}

bool Previews::showsAlpha(int i, const T3D_TEXTURE& record)
{
    // Whether alpha shows takes a look at every pixel of a texture without
    // it: once per record drawn, not at every zoom or pan.
    if (!alpha_[i] || alpha_[i]->first != record.levels[0])
        alpha_[i] = std::make_pair(record.levels[0], ShowsAlpha(record));
    return alpha_[i]->second;
}

QImage Previews::differencePicture(const T3D_TEXTURE& left, const T3D_TEXTURE& right, int level, QString& line)
{
    const Channels channels = channels_[kReplacement];
    const uint8_t* leftPixels = LevelPixels(left, level);
    const uint8_t* rightPixels = LevelPixels(right, level);
    if (!compared_ || compared_->left != leftPixels || compared_->right != rightPixels || compared_->level != level ||
        compared_->channels != channels)
        compared_ = Compared{
            leftPixels, rightPixels, level, channels,
            Compare(left, right, level, channels, {showsAlpha(kScene, left), showsAlpha(kReplacement, right)})};
    const DifferenceFigures& figures = compared_->figures;
    if (!figures.comparable) {
        const QSize size = LevelSize(left, level);
        line = LevelHasPixels(left, level)
                   ? QStringLiteral("no difference: the left level is %1 x %2").arg(size.width()).arg(size.height())
                   : QStringLiteral("no difference: the left has no level %1").arg(level);
    } else {
        line = QStringLiteral("difference \u00B7 largest %1 \u00B7 mean %2")
                   .arg(figures.largest)
                   .arg(figures.mean, 0, 'f', 2);
    }
    const PreviewLook look{views_[kReplacement], channels, std::nullopt};
    return DifferenceImage(left, right, frames_[kReplacement]->clientSize(), level, look, figures);
}

void Previews::follow(int i)
{
    const int other = 1 - i;
    const T3D_TEXTURE* record = source_(frameIdAt(other));
    if (linked_) {
        const QSize otherLevel =
            record && HasPicture(*record) ? LevelSize(*record, KeptLevel(*record, frames_[i]->level())) : QSize();
        views_[other] =
            views_[i].linkedTo(frames_[i]->clientSize(), levelShown(i), frames_[other]->clientSize(), otherLevel);
        channels_[other] = channels_[i];
        if (record)
            show(other, *record, frames_[i]->level());
    } else if (difference_ && i == kScene && record) {
        show(kReplacement, *record, frames_[kReplacement]->level());
    }
}

void Previews::ClearFrame(int frameId)
{
    const int i = index(frameId);
    if (i < 0)
        return;
    frames_[i]->clear();
    frames_[i]->setToolTip(QString());
    frames_[i]->setReadout(QString());
    if (i == kReplacement)
        replacementSummary_.clear();
    forget(i);
    if (difference_ && i == kScene)
        follow(i);
}

void Previews::redraw(const T3D_TEXTURE* record, int frameId)
{
    if (const int i = index(frameId); i >= 0 && record)
        show(i, *record, frames_[i]->level());
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
    PreviewFrame* replacementFrame = frames_[kReplacement];
    if (replacementSummary_.isEmpty())
        replacementFrame->setToolTip(QString());
    else
        replacementFrame->setToolTip(replacementSummary_ +
                                     (tooltipNote_.isEmpty() ? QString() : QStringLiteral("\n") + tooltipNote_));
}

QSize Previews::levelShown(int i) const
{
    const T3D_TEXTURE* record = source_(frameIdAt(i));
    if (!record || !HasPicture(*record))
        return QSize();
    return LevelSize(*record, KeptLevel(*record, frames_[i]->level()));
}

void Previews::viewChanged(int i)
{
    if (const T3D_TEXTURE* record = source_(frameIdAt(i)))
        show(i, *record, frames_[i]->level());
    follow(i);
}

void Previews::zoomBy(int i, int steps, QPointF at)
{
    current_ = i;
    const QSize level = levelShown(i);
    if (level.isEmpty())
        return;
    views_[i].zoomBy(steps, at, frames_[i]->clientSize(), level);
    viewChanged(i);
}

void Previews::pan(int i, QPoint delta)
{
    const QSize level = levelShown(i);
    if (level.isEmpty() || views_[i].isFit())
        return;
    current_ = i;
    views_[i].pan(delta, frames_[i]->clientSize(), level);
    viewChanged(i);
}

void Previews::showReadout(int i, QPoint pixel)
{
    pointer_[i] = pixel;
    if (const T3D_TEXTURE* record = source_(frameIdAt(i)))
        readTexel(i, *record);
    else
        frames_[i]->setReadout(QString());
}

void Previews::readTexel(int i, const T3D_TEXTURE& record)
{
    const int level = KeptLevel(record, frames_[i]->level());
    const QSize frameSize = frames_[i]->clientSize();
    std::optional<QPoint> texel;
    if (HasPicture(record) && QRect(QPoint(0, 0), frameSize).contains(pointer_[i]))
        texel = views_[i].texelAt(pointer_[i], frameSize, LevelSize(record, level));
    frames_[i]->setReadout(texel ? TexelText(record, level, *texel) : QString());
}

void Previews::viewCommand(int command, const ViewChoices& choices)
{
    const int i = current_;
    const QSize level = levelShown(i);
    const QSize frameSize = frames_[i]->clientSize();
    const QPointF centre(frameSize.width() / 2.0, frameSize.height() / 2.0);
    switch (command) {
    case kZoomInCommand:
    case kZoomOutCommand:
        if (!level.isEmpty())
            views_[i].zoomBy(command == kZoomInCommand ? 1 : -1, centre, frameSize, level);
        break;
    case kActualSizeCommand:
        if (!level.isEmpty())
            views_[i].zoomTo(0, centre, frameSize, level);
        break;
    case kFitCommand:
        views_[i].fit();
        break;
    default:
        channels_[i] = choices.channels;
        linked_ = choices.linked;
        difference_ = choices.difference;
        break;
    }
    viewChanged(i);
    // Unlinked, the right frame follows the left one only while it compares.
    if (command == kDifferenceCommand && i == kScene && !linked_)
        viewChanged(kReplacement);
}

void Previews::offerInFrames(const QList<QAction*>& actions)
{
    for (PreviewFrame* target : frames_) {
        target->addActions(actions);
        target->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
}
