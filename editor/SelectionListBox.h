// The texture list (control 1000): a list whose entries go in at explicit
// positions and that notifies each selection the user makes, by mouse or by
// keyboard, also when the entry chosen is the one already selected. Changes
// the program makes while the list's signals are blocked notify nothing. Rows
// leave room for underscores below the text.
#pragma once

#include <QListWidget>

class SelectionListBox : public QListWidget {
    Q_OBJECT
public:
    explicit SelectionListBox(QWidget* parent = nullptr);

signals:
    void selectionNotified();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
