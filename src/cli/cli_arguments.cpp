#include "cli/cli_arguments.h"

#include "cli/texts.h"

#include <iterator>

namespace filarion::cli {

namespace {

using namespace Qt::StringLiterals;

// One command: its word, the values it takes after the folder and what may go with it. A new command is one
// more row here and one more verb call in cli_run.cpp.
struct CommandShape {
    QStringView word;
    CliCommand command;
    int values;
    bool pattern;  // takes -p and the working set
    bool preview;  // takes -n: a rename of the working set
    bool listForm; // takes --no-extension
    QStringView syntax;
};

constexpr CommandShape kCommands[] = {
    {u"replace", CliCommand::Replace, 2, true, true, false, u"文件夹 -p 文件类型 替换前 替换后"},
    {u"number", CliCommand::Number, 1, true, true, false, u"文件夹 -p 文件类型 词头"},
    {u"fill", CliCommand::Fill, 1, true, true, false, u"文件夹 -p 文件类型 补齐字符"},
    {u"insert", CliCommand::Insert, 2, true, true, false, u"文件夹 -p 文件类型 字符串 位置"},
    {u"list", CliCommand::List, 1, true, false, true, u"文件夹 -p 文件类型 清单名 [--no-extension]"},
    {u"undo", CliCommand::Undo, 0, false, false, false, u"文件夹"},
    {u"table", CliCommand::Table, 1, true, false, false, u"文件夹 -p 文件类型 改名表文件"},
};

CliArguments failure(const char16_t* text, const QString& word = {}, const QString& other = {}) {
    CliArguments result;
    QString error = QString::fromUtf16(text);
    if (error.contains(u"%1"_s)) {
        error = other.isNull() ? error.arg(word) : error.arg(word, other);
    }
    result.error = error;
    return result;
}

} // namespace

CliArguments parseCliArguments(const QStringList& arguments) {
    CliArguments result;
    QStringList plain; // the command, the folder and the values, in order
    bool optionsEnded = false;
    QString usedNoExtension;
    QString usedDryRun;
    QString usedPattern;
    for (auto it = arguments.cbegin(); it != arguments.cend(); ++it) {
        const QString& word = *it;
        // A negative number is a value (an insert position), never an option.
        if (optionsEnded || word.size() < 2 || !word.startsWith(u'-') || word.at(1).isDigit()) {
            plain.push_back(word);
        } else if (word == u"--"_s) {
            optionsEnded = true;
        } else if (word == u"-h"_s || word == u"--help"_s) {
            result.action = CliArguments::Action::ShowHelp;
            return result;
        } else if (word == u"--version"_s) {
            result.action = CliArguments::Action::ShowVersion;
            return result;
        } else if (word == u"-p"_s || word == u"--pattern"_s) {
            if (std::next(it) == arguments.cend()) {
                return failure(texts::kMissingValue, word);
            }
            result.pattern = *++it;
            usedPattern = word;
        } else if (word.startsWith(u"--pattern="_s)) {
            result.pattern = word.sliced(10);
            usedPattern = u"--pattern"_s;
        } else if (word == u"-n"_s || word == u"--dry-run"_s) {
            result.dryRun = true;
            usedDryRun = word;
        } else if (word == u"--json"_s) {
            result.json = true;
        } else if (word == u"-q"_s || word == u"--quiet"_s) {
            result.quiet = true;
        } else if (word == u"-y"_s || word == u"--yes"_s) {
            result.yes = true;
        } else if (word == u"--no-extension"_s) {
            result.noExtension = true;
            usedNoExtension = word;
        } else {
            return failure(texts::kUnknownOption, word);
        }
    }
    if (plain.isEmpty()) {
        return failure(texts::kNoCommand);
    }
    const CommandShape* shape = nullptr;
    for (const CommandShape& candidate : kCommands) {
        if (candidate.word == plain.front()) {
            shape = &candidate;
        }
    }
    if (shape == nullptr) {
        return failure(texts::kUnknownCommand, plain.front());
    }
    const QString command = plain.front();
    if (plain.size() != 2 + shape->values) {
        return failure(texts::kWrongArguments, command, shape->syntax.toString());
    }
    if (!shape->pattern && !usedPattern.isEmpty()) {
        return failure(texts::kOptionNotFor, usedPattern, command);
    }
    if (!shape->preview && !usedDryRun.isEmpty()) {
        return failure(texts::kOptionNotFor, usedDryRun, command);
    }
    if (!shape->listForm && !usedNoExtension.isEmpty()) {
        return failure(texts::kOptionNotFor, usedNoExtension, command);
    }
    if (shape->pattern && !result.pattern) {
        return failure(texts::kNoPattern);
    }
    result.action = CliArguments::Action::Run;
    result.command = shape->command;
    result.folder = plain.at(1);
    result.values = plain.mid(2);
    return result;
}

} // namespace filarion::cli
