// The texture list (control 1000): a list whose entries go in at explicit
// positions and that notifies each selection the user makes, by mouse or by
// keyboard, also when the entry chosen is the one already selected. Only a
// selected entry counts: keyboard focus entering the list chooses nothing
// (the first arrow key then selects the first entry); while it has the focus
// and no current entry, a focus frame around its inside says so. Changes the program
// makes while the list's signals are blocked notify nothing. Rows leave room
// for underscores below the text, and all take the first one's size.
#pragma once

#include <QListWidget>

class SelectionListBox : public QListWidget {
    Q_OBJECT
public:
    explicit SelectionListBox(QWidget* parent = nullptr);

    // The selected entry's row, or -1.
    int selectedRow() const;

signals:
    void selectionNotified();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};
