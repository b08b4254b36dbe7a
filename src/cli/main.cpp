#include "cli/cli_arguments.h"
#include "cli/cli_run.h"
#include "cli/terminal_services.h"
#include "cli/texts.h"
#include "platform/gbk_codec.h"
#include "platform/terminal.h"

#include <QStringList>
#include <cstdio>

// filarion-cli: the window's commands on a terminal, with Qt Core alone. Everything past the arguments goes
// through the window's core (cli_run.cpp): no engine call is made here.
int main(int argc, char* argv[]) {
    filarion::platform::LocaleText locale;
    filarion::platform::ignoreBrokenPipe();
    namespace texts = filarion::cli::texts;
    using filarion::cli::CliArguments;

    QStringList words;
    for (int i = 1; i < argc; ++i) {
        words.push_back(locale.decode(argv[i]));
    }
    const CliArguments arguments = filarion::cli::parseCliArguments(words);
    switch (arguments.action) {
    case CliArguments::Action::ShowHelp:
        (void)filarion::platform::writeAll(stdout, locale.encode(QString::fromUtf16(texts::kHelp)));
        return filarion::cli::kStatusDone;
    case CliArguments::Action::ShowVersion:
        (void)filarion::platform::writeAll(
            stdout, locale.encode(QString::fromUtf16(texts::kVersion).arg(QStringLiteral(FILARION_VERSION))));
        return filarion::cli::kStatusDone;
    case CliArguments::Action::Fail:
        (void)filarion::platform::writeAll(
            stderr, locale.encode(arguments.error + u'\n' + QString::fromUtf16(texts::kSeeHelp) + u'\n'));
        return filarion::cli::kStatusRefused;
    case CliArguments::Action::Run:
        break;
    }
    filarion::cli::TerminalServices services(locale, {arguments.json, arguments.quiet, arguments.yes});
    if (!filarion::platform::gbkCodecAvailable()) {
        services.showMessage(QString::fromUtf16(texts::kNoGbk));
        return filarion::cli::kStatusRefused;
    }
    return filarion::cli::runCommand(arguments, services);
}
