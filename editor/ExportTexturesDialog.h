// The small dialog of File > "Export all textures...": the folder to write
// into (typed, or chosen with "Browse..." in the window's own folder dialog)
// and the kind of files: TGA, PNG, DDS or DDS with palette. "Export" is offered once a folder is
// named.
#pragma once

#include "editor/TexturePackChoices.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLineEdit;
class QPushButton;
class QRadioButton;

class ExportTexturesDialog : public QDialog {
    Q_OBJECT
public:
    // Opens with `start` filled in; `browse` chooses a folder, starting from
    // the one given, and gives an empty string when cancelled.
    ExportTexturesDialog(const ExportChoice& start, std::function<QString(const QString& folder)> browse,
                         QWidget* parent);

    ExportChoice choice() const;

private:
    void browseForFolder();

    std::function<QString(const QString& folder)> browse_;
    QLineEdit* folder_ = nullptr;
    // A button for each kind of files, in the order of the table of kinds.
    std::vector<QRadioButton*> kinds_;
    QPushButton* export_ = nullptr;
};
