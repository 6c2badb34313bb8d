// The summary File > "Import textures from folder..." shows before anything
// changes: a sentence on what the import comes to, then one row per texture
// that would change (its name, what it is now and what it would become, and
// what changed), per texture that cannot be imported (and why), and per file
// or texture the folder leaves out. "Import" puts the changes in; it is
// offered only when something would change. Cancel, Escape and the close box
// change nothing.
#pragma once

#include "editor/TexturePackChoices.h"

#include <QDialog>

class ImportSummaryDialog : public QDialog {
    Q_OBJECT
public:
    ImportSummaryDialog(const ImportSummary& summary, QWidget* parent);
};
