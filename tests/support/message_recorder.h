// Records message boxes instead of showing them.
#pragma once
#include <string>
#include <vector>

struct RecordedMessage {
    std::string text;
    std::string caption;
};

// Installs the recorder and clears what it holds; the recorder stays until restoreMessageBoxes().
void recordMessageBoxes();
void restoreMessageBoxes();
const std::vector<RecordedMessage>& recordedMessages();
