#pragma once

#include <QString>
#include <QStringView>
#include <QtNumeric>
#include <cstdint>

namespace filarion::engine {

// What became of one rename a command set out to make.
enum class RenameOutcome : std::uint8_t {
    Renamed,   // the file bears the new name (or bore it already)
    NameTaken, // refused with the name-taken line
    EmptyName, // refused with the illegal line: the new name part is empty
    Failed,    // refused with the failed line
};

// What a command needs from the window around it. The window implements it with message boxes, the
// progress bar and its enabled state; tests implement it with a recorder.
class CommandServices {
public:
    virtual ~CommandServices() = default;

    // A modal information message with one OK button.
    virtual void showMessage(const QString& text) = 0;
    // A modal Yes/No question whose default answer is No; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    // The progress bar's value, 0..100.
    virtual void setProgress(int value) = 0;
    // Disables the window, shows the wait pointer, sets the bar to 0 and lets pending events run once.
    virtual void enterBusy() = 0;
    // Sets the bar to 0, restores the normal pointer and enables the window.
    virtual void leaveBusy() = 0;
    // Re-reads the folder into the file list.
    virtual void refreshFileList() = 0;
    // Told of every rename once its outcome is known, with the names of its log line. The window shows the
    // outcomes through its messages and log and has nothing to do here; the command line prints them.
    virtual void noteRename(QStringView /*oldName*/, QStringView /*newName*/, RenameOutcome /*outcome*/) {}
};

// The busy state of one command: entered on construction; on destruction, however the command
// ends, the file list is refreshed and the window is restored.
class BusyScope {
public:
    explicit BusyScope(CommandServices& services) : m_services(services) { m_services.enterBusy(); }
    ~BusyScope() {
        m_services.refreshFileList();
        m_services.leaveBusy();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    CommandServices& m_services;
};

// Progress of entry i of n as the bar shows it: i / (n - 1) x 100, rounded; nothing to show for n = 1.
class ProgressTicker {
public:
    ProgressTicker(CommandServices& services, qsizetype count) : m_services(services), m_count(count) {}

    // Sets the bar for entry i, calling the window only when the shown value changes.
    void tick(qsizetype i) {
        if (m_count <= 1) {
            return;
        }
        const float exact = static_cast<float>(i) / static_cast<float>(m_count - 1) * 100.0F;
        const int value = qRound(exact);
        if (value != m_last) {
            m_last = value;
            m_services.setProgress(value);
        }
    }

private:
    CommandServices& m_services;
    qsizetype m_count;
    int m_last = -1;
};

} // namespace filarion::engine
