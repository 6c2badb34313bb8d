// A TextureReport for the command-line program: every problem, warnings
// included, goes out as one line on stderr (or the stream given, for tests),
// "quorrel-cli: FILE: what is wrong", with the options that do otherwise
// where one does. Whether an error (not just warnings) was reported decides
// the exit status: warnings alone leave it 0.
#pragma once

#include "cli/CliOutput.h"
#include "texture/TextureReport.h"

#include <iostream>

class StderrReport : public TextureReport {
public:
    explicit StderrReport(std::ostream& err = std::cerr) : err_(err) {}

    void report(const TextureProblem& problem) override
    {
        const bool warning = problem.severity == Severity::Warning;
        std::string detail = problem.detail;
        if (problem.cause == TextureCause::StaleLevels)
            detail += " (--levels rebuild makes them from it, --levels files uses them without this warning)";
        PrintProblem(err_, problem.file, detail, warning);
        errorReported_ = errorReported_ || !warning;
    }

    bool errorReported() const { return errorReported_; }

private:
    std::ostream& err_;
    bool errorReported_ = false;
};
