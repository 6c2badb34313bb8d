// A TextureReport for the command-line program: every message, warnings
// included, goes out as one "caption: text" line on stderr (or the stream
// given, for tests).
#pragma once

#include "texture/TextureReport.h"

#include <iostream>

class StderrReport : public TextureReport {
public:
    explicit StderrReport(std::ostream& err = std::cerr) : err_(err) {}

    void report(const std::string& caption, const std::string& text) override
    {
        err_ << caption << ": " << text << '\n';
    }

private:
    std::ostream& err_;
};
