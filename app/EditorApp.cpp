#include "app/EditorApp.h"

#include "editor/EditorDialog.h"
#include "resources/Version.h"

EditorApp::EditorApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(kQuorrelInternalName);
    setApplicationVersion(kQuorrelVersion);
}

int EditorApp::run()
{
    EditorDialog dialog(DesktopPrompts());
    dialog.exec();
    return 0;
}

bool DisplayAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}
