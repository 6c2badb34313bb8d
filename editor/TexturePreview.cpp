// Drawing textures into the two preview frames.
#include "editor/EditorDialog.h"

#include "editor/PreviewFrame.h"
#include "editor/PreviewImage.h"

PreviewFrame* EditorDialog::frame(int frameId) const
{
    switch (frameId) {
    case kSceneFrameId: return sceneFrame_;
    case kReplacementFrameId: return replacementFrame_;
    default: return nullptr;
    }
}

void EditorDialog::DrawTexture(const T3D_TEXTURE& record, int frameId)
{
    if (PreviewFrame* target = frame(frameId))
        target->setPicture(PreviewImage(record, target->clientSize()));
}

void EditorDialog::ClearFrame(int frameId)
{
    if (PreviewFrame* target = frame(frameId))
        target->clear();
}

void EditorDialog::RedrawPreviews()
{
    if (textureSelected_) {
        if (const T3D_TEXTURE* texture = sceneTexture(selectedIndex_))
            DrawTexture(*texture, kSceneFrameId);
    }
    if (replacementLoaded_)
        DrawTexture(replacement_.record(), kReplacementFrameId);
}
