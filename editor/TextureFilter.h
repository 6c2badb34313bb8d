// The field above the texture list that finds textures by name, and the count
// beside it ("12 of 9,000"). Typing shows only the entries whose names hold
// the text, in any case, in the list's own order; the others are hidden, not
// taken out, so a row is still its texture's index in the scene. The chosen
// entry stays selected while it shows. Ctrl+F gives the field the focus;
// Escape there empties it and goes no further (the window stays open).
#pragma once

#include <QObject>
#include <QString>

#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;

class TextureFilter : public QObject {
    Q_OBJECT
public:
    TextureFilter(QLineEdit* field, QLabel* count, QListWidget* list, QObject* parent);

    // Shows the entries whose names hold the field's text, and their count.
    void apply();
    // How many entries show.
    int shownCount() const { return shown_; }

signals:
    // The selected entry was hidden: no entry is selected now.
    void selectionHidden();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows every entry at once: the view unhides them one by one slowly.
    void showEveryEntry();
    // Unselects the selected entry when it no longer shows (selectionHidden),
    // else keeps it in sight.
    void keepSelection();

    QLineEdit* field_;
    QLabel* count_;
    QListWidget* list_;
    int shown_ = 0;
    std::vector<bool> hidden_;  // by row: the entry is hidden
};
