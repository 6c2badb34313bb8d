#include "editor/GatheringReport.h"

void GatheringReport::report(const std::string& caption, const std::string& text)
{
    if (caption == kWarningCaption)
        warnings_.push_back(text);
    else
        PromptReport::report(caption, text);
}

void GatheringReport::showWarnings()
{
    if (warnings_.empty())
        return;
    std::string list;
    for (const std::string& warning : warnings_)
        list += (list.empty() ? "" : "\n") + warning;
    warnings_.clear();
    PromptReport::report(kWarningCaption, list);
}

void NoticeReport::report(const std::string& caption, const std::string& text)
{
    lines_.append(QString::fromLocal8Bit(caption) + QStringLiteral(": ") + QString::fromLocal8Bit(text));
}
