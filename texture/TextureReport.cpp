#include "texture/TextureReport.h"

namespace {

void ReplaceFirst(std::string& text, const char* mark, const std::string& with)
{
    const size_t at = text.find(mark);
    if (at != std::string::npos)
        text.replace(at, 2, with);
}

// The path goes in last, so that a % in it is never taken for a mark.
std::string Filled(const char* text, const std::string& path, unsigned number)
{
    std::string filled = text;
    ReplaceFirst(filled, "%u", std::to_string(number));
    ReplaceFirst(filled, "%s", path);
    return filled;
}

}  // namespace

TextureProblem MakeProblem(Severity severity, const TextureMessage& message, const std::string& path, unsigned number)
{
    return {severity, message.cause, path, Filled(message.detail, path, number),
            Filled(message.sentence, path, number)};
}

void ReportError(TextureReport& report, const TextureMessage& message, const std::string& path)
{
    report.report(MakeProblem(Severity::Error, message, path));
}

void ReportWarning(TextureReport& report, const TextureMessage& message, const std::string& path)
{
    report.report(MakeProblem(Severity::Warning, message, path));
}
