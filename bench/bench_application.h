// The widgets' application a benchmark of widgets needs: made once, on the
// offscreen platform, and kept until the process ends.
#pragma once

#include <QApplication>

inline void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "quorrel-bench";
    static char* argv[] = {name, nullptr};
    static const bool ready = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);  // lives until the process ends
        return true;
    }();
    (void)ready;
}
