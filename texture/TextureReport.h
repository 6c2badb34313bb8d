// How the texture code tells the user about a problem: a caption and a text,
// as a message box shows them. The editor shows them in message boxes, the
// command-line program prints them to stderr, tests record them.
#pragma once

#include <string>

constexpr const char* kErrorCaption = "Error";
// A problem that does not stop the work (the read or write goes on).
constexpr const char* kWarningCaption = "Warning";

class TextureReport {
public:
    virtual ~TextureReport() = default;
    virtual void report(const std::string& caption, const std::string& text) = 0;
};
