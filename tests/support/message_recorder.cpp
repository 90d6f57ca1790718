// The recorder behind recordMessageBoxes().
#include "support/message_recorder.h"

#include "services/message_box.h"

namespace {
std::vector<RecordedMessage> messages;
void record(const char* text, const char* caption) { messages.push_back({text ? text : "", caption ? caption : ""}); }
}  // namespace

void recordMessageBoxes() {
    messages.clear();
    setMessageBoxSink(record);
}
void restoreMessageBoxes() { setMessageBoxSink(nullptr); }
const std::vector<RecordedMessage>& recordedMessages() { return messages; }
