#include "texture/TextureMessages.h"

namespace {

std::string WithPath(const char* text, const std::string& path)
{
    std::string message = text;
    const size_t at = message.find("%s");
    if (at != std::string::npos)
        message.replace(at, 2, path);
    return message;
}

} // namespace

void ReportTgaError(TextureReport& report, const char* text, const std::string& path)
{
    report.report(kErrorCaption, WithPath(text, path));
}

void ReportTgaWarning(TextureReport& report, const char* text, const std::string& path)
{
    report.report(kWarningCaption, WithPath(text, path));
}
