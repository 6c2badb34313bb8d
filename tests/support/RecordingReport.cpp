#include "support/RecordingReport.h"

void RecordingReport::report(const std::string& caption, const std::string& text)
{
    messages.push_back({caption, text});
}

std::vector<std::string> RecordingReport::texts() const
{
    std::vector<std::string> out;
    for (const ReportedMessage& m : messages)
        out.push_back(m.text);
    return out;
}
