#pragma once

#include "engine/run_effects.h"
#include "platform/gbk_text.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringView>
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
};

// The running program's name and the system clock.
RunEnvironment defaultRunEnvironment();

// Opens the folder's rename log for appending and writes the run's header line: nothing may be renamed
// unless this succeeds.
std::error_code openRunLog(const platform::FolderHandle& folder, const RunEnvironment& environment,
                           platform::GbkAppendFile& log);

// Sets line to one event line: the old name, "改名为", the new name and the kind's ending.
void composeEventLine(QString& line, EventKind kind, QStringView oldName, QStringView newName);

// The effects of a real run: the held folder's no-replace rename and the open rename log.
class DiskEffects final : public RunEffects {
public:
    DiskEffects(platform::NoReplaceRenamer& folder, platform::GbkAppendFile& log) : m_folder(folder), m_log(log) {}

    platform::RenameResult rename(const QString& oldName, const QString& newName) override;
    std::error_code writeLine(const RunEvent& event) override;
    std::error_code retractLine() override;

private:
    platform::NoReplaceRenamer& m_folder;
    platform::GbkAppendFile& m_log;
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

private:
    platform::GbkEncoder m_encoder;
    QStringDecoder m_decoder;
    QByteArray m_headerEnd;
    std::vector<QByteArray> m_refusals;
    QByteArray m_check;
    QString m_text;
    QStringView m_doneText;
    bool m_refusal = false;
};

} // namespace filarion::engine
