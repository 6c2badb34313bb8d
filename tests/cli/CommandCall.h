// Runs one command function of quorrel-cli in the test's own process and
// keeps what it printed.
#pragma once

#include "cli/CommandLine.h"

#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

struct Outcome {
    int status;
    std::string out, err;
};

inline Outcome Call(CommandFunction run, std::vector<std::string> files,
                    std::map<std::string, std::string> options = {})
{
    const CommandArguments args{std::move(files), std::move(options)};
    std::ostringstream out, err;
    const int status = run(args, out, err);
    return {status, out.str(), err.str()};
}
