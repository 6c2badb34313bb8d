// quorrel: the texture editor for scene files. `quorrel [FILE]` opens FILE at
// start; it keeps no settings.
#include "app/EditorApp.h"

#include <cstdio>

int main(int argc, char** argv)
{
    const QString sceneFile = SceneFileFromCommandLine(argc, argv);
    if (!DisplayAvailable()) {
        std::fprintf(stderr, "quorrel: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                             "start it from a desktop session.\n");
        return 1;
    }
    EditorApp app(argc, argv);
    return app.run(sceneFile);
}
