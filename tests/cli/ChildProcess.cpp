#include "ChildProcess.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// A file with no name, for what the child writes; -1 when none can be made.
int UnnamedFile()
{
    return ::open("/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
}

std::string ReadAll(int fd)
{
    std::string bytes;
    char block[4096];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = ::read(fd, block, sizeof block)) > 0;)
        bytes.append(block, size_t(n));
    return bytes;
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The status of a child that could not be set up as asked.
constexpr int kSetupFailed = 126;

// In the child: says on its stderr which step of its setup failed and why,
// then ends it. Only calls that are safe after a fork.
[[noreturn]] void SetupFailed(const char* step)
{
    const char* why = ::strerrordesc_np(errno);
    for (const char* text : {step, ": ", why ? why : "unknown error", "\n"})
        if (::write(STDERR_FILENO, text, std::strlen(text)) < 0)
            break;
    ::_exit(kSetupFailed);
}

bool WriteProcFile(const char* path, const std::string& text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    const bool written = fd >= 0 && ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    if (fd >= 0)
        ::close(fd);
    return written;
}

}  // namespace

bool CanRunAsNobody()
{
    return ::geteuid() == 0 && ::getpwnam("nobody") != nullptr;
}

ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments, const ChildSetup& setup)
{
    // Everything the child needs is made before the fork: after it, the child
    // only calls what is safe in a copy of a threaded process.
    std::vector<std::string> words = {program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environment = setup.environment;
    for (char** variable = environ; *variable; ++variable)
        environment.push_back(*variable);
    std::vector<char*> argv = Pointers(words), envp = Pointers(environment);
    const passwd* nobody = setup.asNobody ? ::getpwnam("nobody") : nullptr;
    const uid_t uid = nobody ? nobody->pw_uid : ::geteuid();
    const gid_t gid = nobody ? nobody->pw_gid : ::getegid();
    // The namespace maps the child's own user and group to themselves.
    const std::string uidMap = std::to_string(uid) + ' ' + std::to_string(uid) + " 1\n";
    const std::string gidMap = std::to_string(gid) + ' ' + std::to_string(gid) + " 1\n";
    const int out = setup.standardOutput >= 0 ? setup.standardOutput : UnnamedFile();
    const int err = UnnamedFile();
    ChildResult result;
    if (out < 0 || err < 0 || (setup.asNobody && !nobody))
        return result;

    const pid_t child = ::fork();
    if (child == 0) {
        if (setup.brokenPipeIgnored)
            ::signal(SIGPIPE, SIG_IGN);
        if (::dup2(out, STDOUT_FILENO) < 0 || ::dup2(err, STDERR_FILENO) < 0)
            ::_exit(kSetupFailed);
        // The user first: taking a user whose processes are already at the
        // process limit would make the exec fail.
        if (nobody && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            SetupFailed("taking the user nobody");
        if (setup.ownUserNamespace) {
            // Its own /proc files stay the child's to write after it changed
            // user only while it may be dumped; the exec sets that anew.
            if (::prctl(PR_SET_DUMPABLE, 1) != 0 || ::unshare(CLONE_NEWUSER) != 0)
                SetupFailed("a user namespace of its own");
            if (!WriteProcFile("/proc/self/uid_map", uidMap) || !WriteProcFile("/proc/self/setgroups", "deny") ||
                !WriteProcFile("/proc/self/gid_map", gidMap))
                SetupFailed("mapping the user namespace");
        }
        // The limits last: in its own namespace, a process limit binds the
        // child alone.
        for (const auto& [resource, limit] : setup.limits) {
            const rlimit value{limit, limit};
            if (::setrlimit(resource, &value) != 0)
                SetupFailed("setting a limit");
        }
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    int status = 0;
    while (child > 0 && ::waitpid(child, &status, 0) < 0) {
    }
    if (child > 0 && WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    else if (child > 0 && WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    if (setup.standardOutput < 0) {
        result.out = ReadAll(out);
        ::close(out);
    }
    result.err = ReadAll(err);
    ::close(err);
    return result;
}

std::string WhyNoOwnUserNamespace(ChildSetup setup)
{
    setup.ownUserNamespace = true;
    setup.limits.clear();
    const ChildResult probe = RunChild("/bin/true", {}, setup);
    if (probe.status == 0)
        return "";
    return probe.err.empty() ? "the child could not be started (status " + std::to_string(probe.status) + ")"
                             : probe.err.substr(0, probe.err.find('\n'));
}
