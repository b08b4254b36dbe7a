#include "cli/terminal_services.h"

#include "cli/texts.h"
#include "ui_core/texts.h"

#include <cstdio>

namespace filarion::cli {

namespace {

using engine::PreviewResult;

// Results are written in pieces of this size at most.
constexpr qsizetype kOutputPiece = 64 * 1024;

QStringView resultWord(PreviewResult result) {
    switch (result) {
    case PreviewResult::Renamed:
        return ui_core::texts::kResultRenamed;
    case PreviewResult::Unchanged:
        return ui_core::texts::kResultUnchanged;
    case PreviewResult::SameName:
        return ui_core::texts::kResultSameName;
    case PreviewResult::Skipped:
        return ui_core::texts::kResultSkipped;
    case PreviewResult::NameTaken:
        return ui_core::texts::kResultNameTaken;
    case PreviewResult::EmptyName:
        return ui_core::texts::kResultEmptyName;
    case PreviewResult::Refused:
        return ui_core::texts::kResultRefused;
    }
    return {};
}

// The result codes of --json; the manual page lists them.
const char* resultCode(PreviewResult result) {
    switch (result) {
    case PreviewResult::Renamed:
        return "renamed";
    case PreviewResult::Unchanged:
        return "unchanged";
    case PreviewResult::SameName:
        return "same_name";
    case PreviewResult::Skipped:
        return "skipped";
    case PreviewResult::NameTaken:
        return "name_taken";
    case PreviewResult::EmptyName:
        return "empty_name";
    case PreviewResult::Refused:
        return "refused";
    }
    return "";
}

// A JSON string of the text, in ASCII alone: quotes, backslashes, control characters and everything outside
// ASCII escaped (UTF-16 units, so a pair of surrogates stays a pair).
void appendJsonString(QStringView text, QByteArray& out) {
    static constexpr char kHex[] = "0123456789abcdef";
    out.append('"');
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit == u'"' || unit == u'\\') {
            out.append('\\').append(static_cast<char>(unit));
        } else if (unit >= 0x20 && unit < 0x7f) {
            out.append(static_cast<char>(unit));
        } else {
            const char escaped[] = {'\\',
                                    'u',
                                    kHex[(unit >> 12) & 0xf],
                                    kHex[(unit >> 8) & 0xf],
                                    kHex[(unit >> 4) & 0xf],
                                    kHex[unit & 0xf]};
            out.append(escaped, sizeof escaped);
        }
    }
    out.append('"');
}

PreviewResult resultOf(QStringView oldName, QStringView newName, engine::RenameOutcome outcome) {
    switch (outcome) {
    case engine::RenameOutcome::Renamed:
        return oldName == newName ? PreviewResult::SameName : PreviewResult::Renamed;
    case engine::RenameOutcome::NameTaken:
        return PreviewResult::NameTaken;
    case engine::RenameOutcome::EmptyName:
        return PreviewResult::EmptyName;
    case engine::RenameOutcome::Failed:
        return PreviewResult::Refused;
    }
    return PreviewResult::Refused;
}

} // namespace

TerminalServices::TerminalServices(platform::LocaleText& locale, OutputOptions options)
    : m_locale(locale), m_options(options) {
    m_out.reserve(2 * kOutputPiece);
}

TerminalServices::~TerminalServices() {
    flush();
}

void TerminalServices::showMessage(const QString& text) {
    // The results so far come first, where both streams go to one terminal.
    flush();
    QByteArray line = m_locale.encode(text);
    line.append('\n');
    (void)platform::writeAll(stderr, line);
    std::fflush(stderr);
}

bool TerminalServices::askYesNo(const QString& text) {
    flush();
    if (m_options.yes) {
        return true;
    }
    if (!platform::standardInputIsTerminal()) {
        showMessage(QString::fromUtf16(texts::kQuestionRefused).arg(text));
        return false;
    }
    (void)platform::writeAll(stderr, m_locale.encode(text + QString::fromUtf16(texts::kAnswerPrompt)));
    std::fflush(stderr);
    QByteArray answer;
    if (!platform::readInputLine(answer)) {
        return false;
    }
    const QString word = m_locale.decode(answer.constData()).trimmed().toLower();
    return word == u"y" || word == u"yes" || word == u"是";
}

void TerminalServices::noteRename(QStringView oldName, QStringView newName, engine::RenameOutcome outcome) {
    addRow(oldName, newName, resultOf(oldName, newName, outcome));
}

void TerminalServices::showPreview(const engine::RenamePreview& preview) {
    for (std::size_t i = 0; i < preview.rows.size(); ++i) {
        addRow(preview.rows.oldName(i), preview.rows.newName(i), preview.rows.result(i));
    }
    flush();
}

void TerminalServices::addRow(QStringView oldName, QStringView newName, PreviewResult result) {
    if (m_options.quiet) {
        return;
    }
    if (m_options.json) {
        m_out.append(R"({"old":)");
        appendJsonString(oldName, m_out);
        m_out.append(R"(,"new":)");
        appendJsonString(newName, m_out);
        m_out.append(R"(,"result":")").append(resultCode(result)).append("\"}\n");
    } else {
        m_locale.append(oldName, m_out);
        m_out.append('\t');
        m_locale.append(newName, m_out);
        m_out.append('\t');
        m_locale.append(resultWord(result), m_out);
        m_out.append('\n');
    }
    if (m_out.size() >= kOutputPiece) {
        flush();
    }
}

bool TerminalServices::flush() {
    if (!m_out.isEmpty()) {
        // A reader that went away (a closed pipe) ends the output, never the command.
        m_outFailed = m_outFailed || !platform::writeAll(stdout, m_out);
        m_out.resize(0);
    }
    std::fflush(stdout);
    return !m_outFailed;
}

} // namespace filarion::cli
