#include "resources/Resources.h"

#include <QtCore/QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initResources()
{
    Q_INIT_RESOURCE(quorrel);
}

void LoadQuorrelResources()
{
    initResources();
}
