#include "texture/TextureMessages.h"

void ReportTgaError(TextureReport& report, const char* text, const std::string& path)
{
    std::string message = text;
    const size_t at = message.find("%s");
    if (at != std::string::npos)
        message.replace(at, 2, path);
    report.report(kErrorCaption, message);
}
