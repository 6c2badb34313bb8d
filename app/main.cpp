// quorrel: the texture editor for scene files. It reads no command line and
// keeps no settings.
#include "app/EditorApp.h"

#include <csignal>
#include <cstdio>

int main(int argc, char** argv)
{
    std::signal(SIGXFSZ, SIG_IGN);  // a file size limit fails the write, which is reported, instead of killing
    if (!DisplayAvailable()) {
        std::fprintf(stderr, "quorrel: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                             "start it from a desktop session.\n");
        return 1;
    }
    EditorApp app(argc, argv);
    return app.run();
}
