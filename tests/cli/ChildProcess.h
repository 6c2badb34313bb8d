// Runs a program in a child process set up as a test needs: its standard
// output, an ignored SIGPIPE as some parents leave it, resource limits, and
// the unprivileged user nobody (when the test runs as root).
#pragma once

#include <string>
#include <sys/resource.h>
#include <utility>
#include <vector>

struct ChildSetup {
    int standardOutput = -1;  // the child's stdout; -1: kept in ChildResult::out
    bool brokenPipeIgnored = false;
    std::vector<std::pair<int, rlim_t>> limits;  // (RLIMIT_..., soft and hard limit)
    bool asNobody = false;
    std::vector<std::string> environment;  // "NAME=value", added to the test's own
};

struct ChildResult {
    int status = -1;  // the exit status; -1 when a signal ended it
    int signal = 0;   // the signal that ended it
    std::string out, err;
};

ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                     const ChildSetup& setup = {});

// Whether the unprivileged user can be taken: the test runs as root.
bool CanRunAsNobody();
