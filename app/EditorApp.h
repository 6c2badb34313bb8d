// The application: one modal main window for the whole run. run() builds the
// EditorDialog, makes it the main window, runs it modally and returns when it
// closes, and the process ends with it.
#pragma once

#include <QApplication>

class EditorApp : public QApplication {
public:
    EditorApp(int& argc, char** argv);

    // The exit code of the process.
    int run();
};

// A Qt program without a display aborts while starting; this says beforehand
// whether any display (X11, Wayland, or a platform named explicitly) is there.
bool DisplayAvailable();
