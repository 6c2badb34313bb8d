// What the window asks about a folder of texture chains: where "Export all
// textures..." writes and as what, and, for "Import textures from folder...",
// what the folder's chains would change before anything does.
#pragma once

#include "texture/chain/TextureFileWriter.h"

#include <QString>

#include <vector>

// The folder an export writes into and the kind of files it writes.
struct ExportChoice {
    QString folder;
    TextureFileKind kind = TextureFileKind::tga;
};

// One texture of an import's summary: its name, what it is now and what it
// would become, and what else there is to say (what changed, why it cannot
// be imported, the warnings its files gave).
struct ImportSummaryRow {
    enum class Kind { Changes, Fails, Note };
    Kind kind = Kind::Changes;
    QString texture;
    QString before;
    QString after;
    QString remark;
};

struct ImportSummary {
    QString folder;
    QString heading;  // what the import comes to, in one sentence
    std::vector<ImportSummaryRow> rows;
    bool changesSomething = false;  // there is something to import
};
