#include "editor/GatheringReport.h"

void GatheringReport::report(const TextureProblem& problem)
{
    if (problem.severity == Severity::Warning)
        warnings_.push_back(problem.sentence);
    else
        PromptReport::report(problem);
}

void GatheringReport::showWarnings()
{
    if (warnings_.empty())
        return;
    std::string list;
    for (const std::string& warning : warnings_)
        list += (list.empty() ? "" : "\n") + warning;
    warnings_.clear();
    show(kWarningCaption, list);
}
