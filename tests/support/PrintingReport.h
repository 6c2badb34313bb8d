// A TextureReport for the tools beside the tests (the seed maker, the
// screenshot driver): every problem as one "file: detail" line on stderr.
#pragma once

#include "texture/TextureReport.h"

#include <cstdio>

class PrintingReport : public TextureReport {
public:
    void report(const TextureProblem& problem) override
    {
        std::fprintf(stderr, "%s: %s\n", problem.file.c_str(), problem.detail.c_str());
    }
};
