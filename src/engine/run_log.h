#pragma once

#include "engine/run_effects.h"
#include "platform/write_ahead_file.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringView>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <system_error>
#include <vector>

namespace filarion::engine {

// What a run takes from its surroundings besides its request.
struct RunEnvironment {
    // The program's own file name without its extension: every entry whose name part equals it
    // (letter case ignored) is skipped and not numbered.
    QString programName;
    // The date and time of the log's header line.
    std::function<QString()> stamp;
    // The most done lines written and committed ahead of their renames as one batch; 1 commits each line on
    // its own just before its rename.
    int largestBatch = kLargestBatch;

    static constexpr int kLargestBatch = 4096;
};

// The running program's name and the system clock.
RunEnvironment defaultRunEnvironment();

// Opens the folder's rename log for appending and takes its lock (busy, resource_unavailable_try_again, while
// another run or undo holds it), held until the log is closed. Then the run's header line: nothing may be
// renamed unless both succeed.
std::error_code openLockedRunLog(const platform::FolderHandle& folder, platform::WriteAheadFile& log);
std::error_code writeRunHeader(const RunEnvironment& environment, platform::WriteAheadFile& log);

// The message for a log that openLockedRunLog could not take: another run holds it, or it cannot be written.
QString runLogMessage(std::error_code error);

// Puts the run's record on the disk before the run says it is done: the log's lines, then the folder's
// entries (the renames). Closes the log, which gives up its lock.
std::error_code finishRunLog(const platform::FolderHandle& folder, platform::WriteAheadFile& log);

// Sets line to one event line: the old name, "改名为", the new name and the kind's ending.
void composeEventLine(QString& line, EventKind kind, QStringView oldName, QStringView newName);

// The effects of a real run: the held folder's no-replace rename and the open rename log.
class DiskEffects final : public RunEffects {
public:
    DiskEffects(platform::NoReplaceRenamer& folder, platform::WriteAheadFile& log,
                int largestBatch = RunEnvironment::kLargestBatch)
        : m_folder(folder), m_log(log), m_largestBatch(std::max(1, largestBatch)) {}

    platform::RenameResult rename(const QString& oldName, const QString& newName) override;
    // The renames that happened so far.
    qsizetype renamed() const { return m_renamed; }
    std::error_code writeLine(const RunEvent& event) override;
    std::error_code retractLine() override;
    int batchLimit() const override { return m_largestBatch; }
    std::error_code writeLines(const std::vector<RunEvent>& events, qsizetype& written) override;
    std::error_code commitLines() override;
    std::error_code retractLines(qsizetype count) override;

private:
    platform::NoReplaceRenamer& m_folder;
    platform::WriteAheadFile& m_log;
    int m_largestBatch;
    qsizetype m_renamed = 0;
};

// The log's lines as the undo reads them back: decoded from GBK, and only where they survive decoding and
// encoding unchanged (bytes that are no GBK, from bit rot or by hand, are never a name).
class LogLineReader {
public:
    enum class Kind : std::uint8_t {
        Header,  // a header line: a run starts after it
        Refusal, // ends as a line of a rename that did not happen (name taken, illegal, failed)
        Done,    // ends in "！" and survives decoding; text() is the line without that ending
        Other,   // none of these: empty, overlong, no GBK, or no known ending
    };

    LogLineReader();

    // Reads one line's bytes without its CR LF; cut when they are the end of a longer line only.
    Kind read(QByteArrayView bytes, bool cut);
    // The text of the last line read as Done, its ending taken off.
    QStringView doneText() const { return m_doneText; }
    // True when the last line read ends as a refusal, whatever else it reads as.
    bool endsAsRefusal() const { return m_refusal; }
    // The bytes of the last line read before its refusal ending (the two names and "改名为"), where it ends
    // as a refusal and was read whole; valid while those bytes are.
    QByteArrayView refusalBody() const { return m_refusalBody; }

private:
    platform::GbkEncoder m_encoder;
    QStringDecoder m_decoder;
    QByteArray m_headerEnd;
    std::vector<QByteArray> m_refusals;
    QByteArray m_check;
    QString m_text;
    QStringView m_doneText;
    QByteArrayView m_refusalBody;
    bool m_refusal = false;
};

} // namespace filarion::engine
