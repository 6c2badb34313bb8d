// The two preview frames: the chosen scene texture in frame 1017 and the
// replacement in frame 1018. A record is drawn at one of its levels (kept
// within the levels it has) with a caption saying which; the replacement
// frame's tooltip sums the record up. The window may add a line to the
// replacement frame's caption and lines to its tooltip (what it knows of the
// files, what Replace would do). Which record a frame stands for is the
// window's business: it hands the record in for every drawing, so a frame
// never holds on to a record that may go.
#pragma once

#include "texture/T3DTexture.h"

#include <QObject>
#include <QString>

class PreviewFrame;

// False for a record without pixels (a file that could not be read).
bool HasPicture(const T3D_TEXTURE& record);

class Previews : public QObject {
    Q_OBJECT
public:
    Previews(PreviewFrame* sceneFrame, PreviewFrame* replacementFrame, QObject* parent);

    // kSceneFrameId or kReplacementFrameId; nullptr for any other id.
    PreviewFrame* frame(int frameId) const;

    // Draws level 0 of the record into the frame.
    void DrawTexture(const T3D_TEXTURE& record, int frameId);
    // Draws a level of the record, kept within its levels.
    void drawLevel(const T3D_TEXTURE& record, int frameId, int level);
    // Paints the frame black, without caption or tooltip.
    void ClearFrame(int frameId);
    // Draws the record again at the level the frame shows (after the frame's
    // size changed, or its record did); nothing for no record.
    void redraw(const T3D_TEXTURE* record, int frameId);
    // The next smaller (+1) or larger (-1) level of the record, if it has one.
    void stepLevel(const T3D_TEXTURE* record, int frameId, int step);

    // What the replacement frame shows after its own caption and tooltip
    // whenever it draws a record; empty: nothing. The tooltip changes at
    // once, the caption with the next drawing.
    void setReplacementNotes(QString caption, QString tooltip);

private:
    PreviewFrame* sceneFrame_;
    PreviewFrame* replacementFrame_;
    QString captionNote_;
    QString tooltipNote_;
    QString replacementSummary_;  // the tooltip of the record drawn, without the note
};
