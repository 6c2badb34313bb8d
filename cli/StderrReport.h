// A TextureReport for the command-line program: every message, warnings
// included, goes out as one "caption: text" line on stderr (or the stream
// given, for tests). Whether an error (not just warnings) was reported decides
// the exit status: warnings alone leave it 0.
#pragma once

#include "texture/TextureReport.h"

#include <iostream>

class StderrReport : public TextureReport {
public:
    explicit StderrReport(std::ostream& err = std::cerr) : err_(err) {}

    void report(const std::string& caption, const std::string& text) override
    {
        err_ << caption << ": " << text << '\n';
        errorReported_ = errorReported_ || caption == kErrorCaption;
    }

    bool errorReported() const { return errorReported_; }

private:
    std::ostream& err_;
    bool errorReported_ = false;
};
