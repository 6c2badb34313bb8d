// A TextureReport for the command-line program: every problem, warnings
// included, goes out as one line on stderr (or the stream given, for tests),
// "quorrel-cli: FILE: what is wrong". Whether an error (not just warnings)
// was reported decides the exit status: warnings alone leave it 0.
#pragma once

#include "cli/CliOutput.h"
#include "texture/TextureReport.h"

#include <iostream>

class StderrReport : public TextureReport {
public:
    explicit StderrReport(std::ostream& err = std::cerr) : err_(err) {}

    void report(const TextureProblem& problem) override
    {
        PrintProblem(err_, problem);
        errorReported_ = errorReported_ || problem.severity == Severity::Error;
    }

    bool errorReported() const { return errorReported_; }

private:
    std::ostream& err_;
    bool errorReported_ = false;
};
