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

} // namespace

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
