#include "ui_core/command_line.h"

#include "ui_core/texts.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace filarion::ui_core {

namespace {

QString text(const char16_t* literal) {
    return QString::fromUtf16(literal);
}

// The parser pads the names in its lists to one width counted in characters, but a Chinese character takes
// two columns of a terminal: one blank less follows each, so that the descriptions line up.
QString alignWideNames(const QString& help) {
    QStringList lines = help.split(u'\n');
    for (QString& line : lines) {
        const qsizetype nameEnd = line.startsWith(u"  ") ? line.indexOf(u' ', 2) : -1;
        if (nameEnd < 0) {
            continue;
        }
        const auto wide = std::count_if(line.cbegin() + 2, line.cbegin() + nameEnd,
                                        [](QChar character) { return character.unicode() >= 0x2E80; });
        qsizetype blanks = 0;
        while (nameEnd + blanks < line.size() && line.at(nameEnd + blanks) == u' ') {
            ++blanks;
        }
        line.remove(nameEnd, std::min<qsizetype>(wide, blanks - 1));
    }
    return lines.join(u'\n');
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments, const QString& version) {
    QCommandLineParser parser;
    parser.setApplicationDescription(text(texts::kCliDescription));
    // Qt's own help option would also offer --help-all with Qt's options, which are read only after this.
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")}, text(texts::kCliHelpOption));
    const QCommandLineOption versionOption(QStringLiteral("version"), text(texts::kCliVersionOption));
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    parser.addPositionalArgument(text(texts::kCliFolderName), text(texts::kCliFolderHelp),
                                 text(texts::kCliFolderSyntax));

    const QString program = QStringLiteral("filarion");
    CommandLine line;
    if (!parser.parse(arguments)) {
        line.action = CommandLine::Action::Fail;
        line.output = program + QStringLiteral(": ") + parser.errorText() + u'\n';
    } else if (parser.isSet(helpOption)) {
        line.action = CommandLine::Action::ShowHelp;
        line.output = alignWideNames(parser.helpText());
    } else if (parser.isSet(versionOption)) {
        line.action = CommandLine::Action::ShowVersion;
        line.output = program + u' ' + version + u'\n';
    } else if (parser.positionalArguments().size() > 1) {
        line.action = CommandLine::Action::Fail;
        line.output = program + QStringLiteral(": ") + text(texts::kCliOneFolderOnly) + u'\n';
    } else if (!parser.positionalArguments().isEmpty()) {
        line.folder = parser.positionalArguments().constFirst();
    }
    return line;
}

std::optional<QString> startFolderOf(const QString& given) {
    if (given.isEmpty()) {
        return std::nullopt;
    }
    const QFileInfo entry(QDir::cleanPath(QDir::current().absoluteFilePath(given)));
    if (entry.isDir()) {
        return entry.filePath();
    }
    if (entry.exists()) {
        return entry.path();
    }
    return std::nullopt;
}

QString elideMiddle(const QString& path, qsizetype limit) {
    if (path.size() <= limit) {
        return path;
    }
    // A cut never splits a surrogate pair: its half would show as a box.
    qsizetype head = (limit - 1) / 2;
    qsizetype tail = limit - 1 - head;
    if (path.at(head - 1).isHighSurrogate()) {
        --head;
    }
    if (path.at(path.size() - tail).isLowSurrogate()) {
        --tail;
    }
    return path.left(head) + u'…' + path.right(tail);
}

} // namespace filarion::ui_core
