// A flag check box (controls 1007 to 1014): shows one of the selected
// texture's flags at full contrast. It is enabled, so it is not greyed. While
// it is editable (a texture is selected, and the box is not "Mipmap levels",
// which follows the level count) a click or, with the focus, the space bar
// ticks or unticks it; otherwise a click, a hover or a key does nothing, and
// it takes no focus. The program sets it with setChecked.
#pragma once

#include <QCheckBox>

class FlagBox : public QCheckBox {
public:
    FlagBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) { setEditable(false); }

    void setEditable(bool editable)
    {
        editable_ = editable;
        setFocusPolicy(editable ? Qt::StrongFocus : Qt::NoFocus);
        setAttribute(Qt::WA_TransparentForMouseEvents, !editable);
    }

protected:
    // No point of a box that is not editable presses it, whichever way a
    // mouse event arrives,
    bool hitButton(const QPoint& pos) const override { return editable_ && QCheckBox::hitButton(pos); }
    // and a click that comes some other way (a key) keeps its state.
    void nextCheckState() override
    {
        if (editable_)
            QCheckBox::nextCheckState();
    }

private:
    bool editable_ = false;
};
