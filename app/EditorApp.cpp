#include "app/EditorApp.h"

#include "editor/EditorDialog.h"
#include "resources/Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

void NameApplication(QCoreApplication& app)
{
    app.setApplicationName(kQuorrelInternalName);
    app.setApplicationVersion(kQuorrelVersion);
}

}  // namespace

EditorApp::EditorApp(int& argc, char** argv) : QApplication(argc, argv)
{
    NameApplication(*this);
}

int EditorApp::run(const QString& sceneFile)
{
    // Every box and file dialog opens over the main window, made just below.
    EditorDialog* window = nullptr;
    EditorDialog dialog(DesktopPrompts([&window] { return window; }));
    window = &dialog;
    if (!sceneFile.isEmpty())
        QTimer::singleShot(0, &dialog, [&dialog, sceneFile] { dialog.openSceneFile(sceneFile); });
    connect(&dialog, &QDialog::finished, this, &QCoreApplication::quit);
    dialog.show();
    exec();
    return 0;
}

QString SceneFileFromCommandLine(int argc, char** argv)
{
    // A core application reads the command line: it needs no display, and it
    // is gone before the editor's own application starts.
    QCoreApplication core(argc, argv);
    NameApplication(core);
    QCommandLineParser parser;
    parser.setApplicationDescription("The texture editor for scene files (.T3D).");
    // Help of its own: Qt's would offer --help-all with the options of the
    // core application only, not of the one the editor runs in.
    const QCommandLineOption help({"h", "help"}, "Displays this help.");
    parser.addOption(help);
    parser.addVersionOption();
    parser.addPositionalArgument("FILE", "The scene file to open at start.", "[FILE]");
    parser.process(core);
    if (parser.isSet(help))
        parser.showHelp(0);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "quorrel: one scene file at most\n\n%s", qPrintable(parser.helpText()));
        std::exit(2);
    }
    // Absolute, so Save writes where the file was found whatever the
    // working folder becomes.
    return files.isEmpty() ? QString() : QFileInfo(files.first()).absoluteFilePath();
}

bool DisplayAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}
