// quorrel: the texture editor for scene files. `quorrel [FILE]` opens FILE at
// start. Settings (recent scenes, dialogs' folders, options) are kept with
// QSettings by the editor.
#include "app/EditorApp.h"

#include <csignal>
#include <cstdio>

int main(int argc, char** argv)
{
    std::signal(SIGXFSZ, SIG_IGN);  // a file size limit fails the write, which is reported, instead of killing
    const QString sceneFile = SceneFileFromCommandLine(argc, argv);
    if (!DisplayAvailable()) {
        std::fprintf(stderr, "quorrel: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                             "start it from a desktop session.\n");
        return 1;
    }
    EditorApp app(argc, argv);
    return app.run(sceneFile);
}
