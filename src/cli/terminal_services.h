#pragma once

#include "engine/command_services.h"
#include "engine/rename_preview.h"
#include "platform/terminal.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace filarion::cli {

struct OutputOptions {
    bool json = false;  // one JSON object per file instead of a line of text
    bool quiet = false; // no results: only the messages on standard error
    bool yes = false;   // every question answered Yes without asking
};

// The command's services on a terminal: messages on standard error, one per line; the questions asked there
// when standard input is a terminal, otherwise refused (and the refusal says which question) unless Yes was
// given for every one; no progress, no busy state. The files' results go to standard output in the locale's
// encoding: `old<TAB>new<TAB>result` in the preview's words, or with --json one object per line,
// {"old":…,"new":…,"result":…}, every character outside ASCII written as \uXXXX.
class TerminalServices final : public engine::CommandServices {
public:
    TerminalServices(platform::LocaleText& locale, OutputOptions options);
    ~TerminalServices() override;
    TerminalServices(const TerminalServices&) = delete;
    TerminalServices& operator=(const TerminalServices&) = delete;

    void showMessage(const QString& text) override;
    bool askYesNo(const QString& text) override;
    void setProgress(int /*value*/) override {}
    void enterBusy() override {}
    void leaveBusy() override { flush(); }
    void refreshFileList() override {}
    void noteRename(QStringView oldName, QStringView newName, engine::RenameOutcome outcome) override;

    // The rows of a preview, as the rename's results.
    void showPreview(const engine::RenamePreview& preview);
    // Writes the results held so far; false once a write to standard output failed.
    bool flush();

private:
    void addRow(QStringView oldName, QStringView newName, engine::PreviewResult result);

    platform::LocaleText& m_locale;
    OutputOptions m_options;
    QByteArray m_out; // results not yet written
    bool m_outFailed = false;
};

} // namespace filarion::cli
