// A TextureReport that keeps every message, for tests to read.
#pragma once

#include "texture/TextureReport.h"

#include <ostream>
#include <string>
#include <vector>

struct ReportedMessage {
    std::string caption;
    std::string text;
    bool operator==(const ReportedMessage& other) const { return caption == other.caption && text == other.text; }
};

inline std::ostream& operator<<(std::ostream& out, const ReportedMessage& message)
{
    return out << message.caption << ": " << message.text;
}

class RecordingReport : public TextureReport {
public:
    void report(const std::string& caption, const std::string& text) override;

    std::vector<ReportedMessage> messages;
    // The texts alone, in order.
    std::vector<std::string> texts() const;
};
