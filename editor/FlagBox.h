// A flag check box (controls 1007 to 1014): shows one of the selected
// texture's flags at full contrast, yet the user cannot change it. It is
// enabled, so it is not greyed; a click, a hover or a key does nothing, and it
// takes no focus. The program sets it with setChecked.
#pragma once

#include <QCheckBox>

class FlagBox : public QCheckBox {
public:
    FlagBox(const QString& text, QWidget* parent) : QCheckBox(text, parent)
    {
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    // No point of the box presses it, whichever way a mouse event arrives,
    bool hitButton(const QPoint&) const override { return false; }
    // and a click that comes some other way (a key) keeps the state.
    void nextCheckState() override {}
};
