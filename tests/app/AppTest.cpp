#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

namespace {

QProcessEnvironment EnvironmentWithout(std::initializer_list<const char*> names)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : names)
        environment.remove(name);
    return environment;
}

}  // namespace

TEST(QuorrelProgram, WithoutADisplaySaysSoAndFails)
{
    QProcess program;
    program.setProcessEnvironment(EnvironmentWithout({"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}));
    program.start(QUORREL_BINARY, {});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_TRUE(program.readAllStandardError().contains("no display found"));
}

TEST(QuorrelProgram, ReadsItsCommandLineWithoutADisplay)
{
    struct Case {
        QStringList arguments;
        int exitCode;
        const char* output;  // expected in stdout (exit 0) or stderr
    };
    const Case cases[] = {
        {{"--help"}, 0, "[FILE]"},
        {{"--version"}, 0, "quorrel 1.0.0.1"},
        {{"--bogus"}, 1, "bogus"},
        {{"one.T3D", "two.T3D"}, 2, "one scene file at most"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QProcess program;
        program.setProcessEnvironment(EnvironmentWithout({"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}));
        program.start(QUORREL_BINARY, c.arguments);
        ASSERT_TRUE(program.waitForFinished(60000));
        EXPECT_EQ(program.exitCode(), c.exitCode);
        const QByteArray output = c.exitCode == 0 ? program.readAllStandardOutput() : program.readAllStandardError();
        EXPECT_TRUE(output.contains(c.output)) << output.toStdString();
    }
}

TEST(QuorrelProgram, WithADisplayRunsItsWindowUntilStopped)
{
    QProcess program;
    QProcessEnvironment environment = EnvironmentWithout({"DISPLAY", "WAYLAND_DISPLAY"});
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    program.start(QUORREL_BINARY, {});
    ASSERT_TRUE(program.waitForStarted());
    // The modal window keeps the program running; it must not end by itself.
    EXPECT_FALSE(program.waitForFinished(3000)) << program.readAllStandardError().toStdString();
    program.kill();
    program.waitForFinished();
}
