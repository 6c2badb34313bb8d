#include "support/RecordingReport.h"

std::ostream& operator<<(std::ostream& out, const ReportedMessage& message)
{
    return out << (message.severity == Severity::Warning ? "warning: " : "error: ") << message.text;
}

void RecordingReport::report(const TextureProblem& problem)
{
    problems.push_back(problem);
    messages.push_back({problem.severity, problem.sentence});
}

std::vector<std::string> RecordingReport::texts() const
{
    std::vector<std::string> out;
    for (const ReportedMessage& m : messages)
        out.push_back(m.text);
    return out;
}

std::vector<TextureCause> RecordingReport::causes() const
{
    std::vector<TextureCause> out;
    for (const TextureProblem& p : problems)
        out.push_back(p.cause);
    return out;
}
