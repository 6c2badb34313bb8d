// The application: one main window for the whole run, an ordinary top-level
// window in the task bar. run() builds the EditorDialog, shows it, runs the
// application's event loop and returns when the window ends, and the process
// ends with it.
#pragma once

#include <QApplication>
#include <QString>

class EditorApp : public QApplication {
public:
    EditorApp(int& argc, char** argv);

    // The exit code of the process. A non-empty sceneFile is loaded as soon
    // as the window is up, as File, Load would load it.
    int run(const QString& sceneFile);
};

// Reads the command line, `quorrel [FILE]`, and returns FILE (empty when none
// is given). Answers --help and --version itself, and a wrong command line with
// the usage, and ends the process then. Needs no display.
QString SceneFileFromCommandLine(int argc, char** argv);

// A Qt program without a display aborts while starting; this says beforehand
// whether any display (X11, Wayland, or a platform named explicitly) is there.
bool DisplayAvailable();
