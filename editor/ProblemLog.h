// What one read or write met, kept in the order it came, to be shown once the
// work is over: by a report that shows boxes, or as lines across a frame.
// Work off the window's thread reports here, never to the screen.
#pragma once

#include "texture/TextureReport.h"

#include <vector>

class ProblemLog : public TextureReport {
public:
    void report(const TextureProblem& problem) override { problems_.push_back(problem); }

    const std::vector<TextureProblem>& problems() const { return problems_; }
    // Tells `to` every problem kept, in order.
    void replay(TextureReport& to) const
    {
        for (const TextureProblem& problem : problems_)
            to.report(problem);
    }

private:
    std::vector<TextureProblem> problems_;
};
