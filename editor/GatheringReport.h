// What the texture code reports during one read or write, as the main window
// shows it: errors at once, one box each, as they come; warnings gathered and
// shown together in one "Warning" box when showWarnings() is called at the
// end of the read.
#pragma once

#include "editor/EditorPrompts.h"

#include <string>
#include <vector>

class GatheringReport : public PromptReport {
public:
    using PromptReport::PromptReport;
    void report(const TextureProblem& problem) override;
    // One box listing every warning since the last call, if there was one.
    void showWarnings();

private:
    std::vector<std::string> warnings_;
};
