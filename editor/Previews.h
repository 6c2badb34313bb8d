// The two preview frames: the chosen scene texture in frame 1017 and the
// replacement in frame 1018. A record is drawn at one of its levels (kept
// within the levels it has) with a caption saying which, and the zoom when it
// is not "fit"; the replacement frame's tooltip sums the record up. The
// window may add a line to the replacement frame's caption and lines to its
// tooltip (what it knows of the files, what Replace would do). Which record a
// frame stands for is the window's business: it hands the record in for
// every drawing, and gives a source that names the record each frame stands
// for now, for what a frame draws on its own (zoom, pan, the pointer's
// readout, the other frame following it), so a frame never holds on to a
// record that may go.
//
// Each frame has its view (its FrameView and channels). Zoom, pan and the
// channel choice go to the frame that last had the keyboard focus (the left
// one until then); linked, the two frames show the same level, zoom and
// channels, whichever moves, and the same place: the texel under one frame's
// centre, as a fraction of its level, under the other's (FrameView::linkedTo),
// so a smaller texture pans along with a larger one. With the difference on, the right frame shows
// the difference between the two frames' records at its level (the left
// record as the left frame shows it, the right as given), with its largest
// and mean difference in the caption.
#pragma once

#include "editor/DifferenceImage.h"
#include "editor/FrameView.h"
#include "editor/ViewChoices.h"
#include "texture/T3DTexture.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

class PreviewFrame;
class QAction;

// False for a record without pixels (a file that could not be read).
bool HasPicture(const T3D_TEXTURE& record);

class Previews : public QObject {
    Q_OBJECT
public:
    // The record a frame stands for now (kSceneFrameId, kReplacementFrameId),
    // or nullptr.
    using RecordSource = std::function<const T3D_TEXTURE*(int frameId)>;

    Previews(PreviewFrame* sceneFrame, PreviewFrame* replacementFrame, RecordSource source, const ViewChoices& choices,
             QObject* parent);

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

    // A command of the View menu (MainMenu::ViewCommands), with the menu's
    // choices as they stand after it.
    void viewCommand(int command, const ViewChoices& choices);
    // The frames' context menus offer these actions (after their own).
    void offerInFrames(const QList<QAction*>& actions);
    // The view of a frame, as it draws now.
    const FrameView& view(int frameId) const;
    Channels channels(int frameId) const;

signals:
    // The frame that View commands act on now shows these channels.
    void channelsShown(Channels channels);

private:
    int index(int frameId) const;
    int frameIdAt(int index) const;
    // Draws the record into frame [i] at the level (kept within its levels),
    // as its view and channels say; nothing more.
    void show(int i, const T3D_TEXTURE& record, int level);
    // The window draws a record anew in frame [i]: what was worked out for
    // the last one goes.
    void forget(int i);
    bool showsAlpha(int i, const T3D_TEXTURE& record);
    // What follows a change of frame [i]: linked, the other frame takes its
    // level, view (linked) and channels; with the difference on, the right frame
    // compares again after the left one changed.
    void follow(int i);
    // Frame [i]'s view changed: drawn again, and followed.
    void viewChanged(int i);
    void zoomBy(int i, int steps, QPointF at);
    void pan(int i, QPoint delta);
    void showReadout(int i, QPoint pixel);
    // The readout of the texel under the pointer in frame [i], which shows the record.
    void readTexel(int i, const T3D_TEXTURE& record);
    void takeCommands(int i);
    // The right frame's difference with the left record, and its caption line.
    QImage differencePicture(const T3D_TEXTURE& left, const T3D_TEXTURE& right, int level, QString& line);
    QSize levelShown(int i) const;

    PreviewFrame* frames_[2];
    RecordSource source_;
    FrameView views_[2];
    Channels channels_[2];
    bool linked_;
    bool difference_;
    int current_ = 0;                           // the frame that View commands act on
    QPoint pointer_[2] = {{-1, -1}, {-1, -1}};  // where the pointer is over each frame; (-1, -1): not
    QString captionNote_;
    QString tooltipNote_;
    QString replacementSummary_;  // the tooltip of the record drawn, without the note
    // The last comparison's figures, for the records, level and channels it
    // compared; forgotten whenever the window draws a record anew.
    struct Compared {
        const uint8_t* left;
        const uint8_t* right;
        int level;
        Channels channels;
        DifferenceFigures figures;
    };
    std::optional<Compared> compared_;
    // Whether the record drawn in each frame shows alpha, by its level 0's
    // pixels; forgotten in the same way.
    std::optional<std::pair<const uint8_t*, bool>> alpha_[2];
};
