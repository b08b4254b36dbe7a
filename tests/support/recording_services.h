#pragma once

#include "engine/command_services.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace filarion::test {

// Records everything a command asks of the window. Questions are answered from a script; a question
// the script does not expect fails the test. Checks that the busy state is balanced.
class RecordingServices : public engine::CommandServices {
public:
    void showMessage(const QString& text) override;
    bool askYesNo(const QString& text) override;
    void setProgress(int value) override;
    void enterBusy() override;
    void leaveBusy() override;
    void refreshFileList() override;

    // The next question must have this text; it is answered with the given value.
    void expectQuestion(const QString& text, bool answer) { m_answers.push_back({text, answer}); }

    // Runs when a message is shown, before it returns (a message box holds the run while it is open).
    std::function<void(const QString&)> onMessage;

    QStringList messages;
    QStringList questions;
    std::vector<int> progress; // every value set while busy, in order
    int busyEntered = 0;
    int busyLeft = 0;
    int refreshes = 0;
    bool busy = false;
    bool unexpectedQuestion = false;

    // The state the window ends in: not busy and the bar at 0.
    bool idle() const { return !busy && busyEntered == busyLeft && barValue == 0; }
    int barValue = 0;

private:
    struct Answer {
        QString text;
        bool answer;
    };
    std::deque<Answer> m_answers;
};

} // namespace filarion::test
