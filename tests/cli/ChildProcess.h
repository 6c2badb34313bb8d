// Runs a program in a child process set up as a test needs: its standard
// output, an ignored SIGPIPE as some parents leave it, resource limits, the
// unprivileged user nobody (when the test runs as root), and a user namespace
// of its own.
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
    // Alone under its user: in a user namespace of its own, mapped to its own
    // user and group, so that a per-user limit (RLIMIT_NPROC) counts the
    // child's processes only, not every one its user runs on the machine.
    bool ownUserNamespace = false;
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

// Why a child set up so cannot have a user namespace of its own (the kernel
// or a security module refuses one), or "" when it can.
std::string WhyNoOwnUserNamespace(ChildSetup setup);
