// A TextureReport that keeps every message, for tests to read.
#pragma once

#include "texture/TextureReport.h"

#include <string>
#include <vector>

struct ReportedMessage {
    std::string caption;
    std::string text;
};

class RecordingReport : public TextureReport {
public:
    void report(const std::string& caption, const std::string& text) override;

    std::vector<ReportedMessage> messages;
    // The texts alone, in order.
    std::vector<std::string> texts() const;
};
