// A TextureReport that keeps every problem, for tests to read.
#pragma once

#include "texture/TextureReport.h"

#include <ostream>
#include <string>
#include <vector>

// What a test usually compares: how bad, and the sentence.
struct ReportedMessage {
    Severity severity;
    std::string text;
    bool operator==(const ReportedMessage& other) const { return severity == other.severity && text == other.text; }
};

std::ostream& operator<<(std::ostream& out, const ReportedMessage& message);

class RecordingReport : public TextureReport {
public:
    void report(const TextureProblem& problem) override;

    std::vector<TextureProblem> problems;
    std::vector<ReportedMessage> messages;
    // The sentences alone, in order.
    std::vector<std::string> texts() const;
    // The causes alone, in order.
    std::vector<TextureCause> causes() const;
};
