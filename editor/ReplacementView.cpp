#include "editor/ReplacementView.h"

#include "editor/MainMenu.h"
#include "editor/PreviewFrame.h"
#include "editor/Previews.h"
#include "editor/ReplaceOutcome.h"
#include "editor/SceneTextureList.h"
#include "resources/ResourceIds.h"
#include "resources/Strings.h"
#include "texture/chain/TextureFileReader.h"

namespace {

QString Lines(const QString& first, const QString& second)
{
    return first.isEmpty() || second.isEmpty() ? first + second : first + '\n' + second;
}

}  // namespace

ReplacementView::ReplacementView(Replacement& replacement, Previews& previews, const SceneTextureList& textureList,
                                 const MainMenu& menu, QObject* parent)
    : QObject(parent), replacement_(replacement), previews_(previews), textureList_(textureList), menu_(menu)
{
}

Replacement::Conversion ReplacementView::conversionFor(const T3D_TEXTURE& scene) const
{
    const StaleLevelsChoice stale = menu_.staleLevelsChoice();
    // Asked, Replace's first answer is to rebuild them.
    return {FormatOf(scene, menu_.dither()), !stale || *stale == StaleLevelChoice::rebuild};
}

QString ReplacementView::captionOf(const T3D_TEXTURE& scene) const
{
    // A chain that keeps its own format is not converted, nor dithered.
    const bool converted = replacement_.takesSceneFormat();
    const unsigned depth = converted ? scene.depth : replacement_.texture().depth;
    const char* dithering = !converted || depth != 8 ? "" : menu_.dither() ? kDitheredPart : kNotDitheredPart;
    QString caption = QString::fromLatin1(kAsItGoesInCaption).arg(depth).arg(QString::fromLatin1(dithering));
    if (!replacement_.staleLevels().empty() && !menu_.staleLevelsChoice())
        caption = Lines(caption, QString::fromLatin1(kAsksStaleLevelsCaption));
    return caption;
}

QString ReplacementView::tooltipOf(const T3D_TEXTURE* scene, const Replacement::Made* made) const
{
    if (!scene || !HasPicture(replacement_.texture()))
        return QString();
    QString tooltip =
        ReplaceWouldText(*scene, replacement_.texture(), replacement_.takesSceneFormat(), menu_.flagsChoice());
    if (made && !made->cost.empty())
        tooltip = Lines(
            tooltip,
            QString::fromLatin1(kConversionCostText).arg(QString::fromStdString(ConversionCostText(made->cost, "\n"))));
    return tooltip;
}

void ReplacementView::show()
{
    PreviewFrame* frame = previews_.frame(kReplacementFrameId);
    // The level stays while a conversion is made with the frame black.
    if (shown_)
        level_ = frame->level();
    const T3D_TEXTURE* scene = textureList_.chosenTexture();
    const bool goesIn = scene && menu_.showsAsItGoesIn() && replacement_.state() == Replacement::State::Ready;
    // A chain that goes in as it was read is shown as read: nothing converts.
    const bool converts = goesIn && !replacement_.goesInAsRead(conversionFor(*scene));
    const Replacement::Made* made = converts ? replacement_.asItGoesIn(conversionFor(*scene)) : nullptr;
    if (!converts)
        replacement_.stopShowingConversion();
    QString notice = replacement_.notice();
    if (converts && !made)
        notice = QString::fromLatin1(kConvertingProgress)
                     .arg(replacement_.fileName(), SceneTextureList::TextureName(*scene));
    else if (made)
        notice = Lines(notice, Replacement::NoticeOf(made->problems));
    frame->setNotice(notice);
    previews_.setReplacementNotes(goesIn ? Lines(replacement_.levelNotes(), captionOf(*scene))
                                         : replacement_.levelNotes(),
                                  tooltipOf(scene, made));
    if (converts)
        shown_ = made && made->outcome == Replacement::Converted::Done ? &made->texture.record() : nullptr;
    else
        shown_ = replacement_.isChosen() ? &replacement_.texture() : nullptr;
    if (shown_)
        previews_.drawLevel(*shown_, kReplacementFrameId, level_);
    else
        previews_.ClearFrame(kReplacementFrameId);
}
