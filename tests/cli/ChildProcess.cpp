#include "ChildProcess.h"

#include <cstdio>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
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
    const uid_t uid = nobody ? nobody->pw_uid : 0;
    const gid_t gid = nobody ? nobody->pw_gid : 0;
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
            ::_exit(126);
        // The user first: taking a user whose processes are already at the
        // process limit would make the exec fail.
        if (nobody && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(126);
        for (const auto& [resource, limit] : setup.limits) {
            const rlimit value{limit, limit};
            if (::setrlimit(resource, &value) != 0)
                ::_exit(126);
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
