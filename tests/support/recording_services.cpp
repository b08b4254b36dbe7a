#include "support/recording_services.h"

#include <gtest/gtest.h>

namespace filarion::test {

void RecordingServices::showMessage(const QString& text) {
    messages.push_back(text);
    if (onMessage) {
        onMessage(text);
    }
}

bool RecordingServices::askYesNo(const QString& text) {
    questions.push_back(text);
    if (m_answers.empty() || m_answers.front().text != text) {
        unexpectedQuestion = true;
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    const bool answer = m_answers.front().answer;
    m_answers.pop_front();
    return answer;
}

void RecordingServices::setProgress(int value) {
    EXPECT_TRUE(busy) << "progress set outside the busy state";
    EXPECT_GE(value, 0);
    EXPECT_LE(value, 100);
    progress.push_back(value);
    barValue = value;
}

void RecordingServices::enterBusy() {
    EXPECT_FALSE(busy) << "busy state entered twice";
    busy = true;
    barValue = 0;
    ++busyEntered;
}

void RecordingServices::leaveBusy() {
    EXPECT_TRUE(busy) << "busy state left without being entered";
    busy = false;
    barValue = 0;
    ++busyLeft;
}

void RecordingServices::refreshFileList() {
    ++refreshes;
}

} // namespace filarion::test
