#include "platform/terminal.h"

#include <clocale>
#include <csignal>
#include <cstring>
#include <langinfo.h>
#include <unistd.h>

namespace filarion::platform {

bool standardInputIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

void ignoreBrokenPipe() {
    (void)std::signal(SIGPIPE, SIG_IGN);
}

bool readInputLine(QByteArray& line) {
    line.clear();
    int c = 0;
    while ((c = std::getchar()) != EOF && c != '\n') {
        line.push_back(static_cast<char>(c));
    }
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    return c != EOF || !line.isEmpty();
}

LocaleText::LocaleText() {
    std::setlocale(LC_CTYPE, "");
    const char* codeset = ::nl_langinfo(CODESET);
    const bool plain = codeset == nullptr || std::strcmp(codeset, "ANSI_X3.4-1968") == 0 ||
                       std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0;
    if (!plain) {
        QStringEncoder encoder(codeset);
        QStringDecoder decoder(codeset);
        if (encoder.isValid() && decoder.isValid()) {
            m_encoder = std::move(encoder);
            m_decoder = std::move(decoder);
        }
    }
}

QString LocaleText::decode(const char* bytes) {
    return m_decoder.decode(QByteArrayView(bytes));
}

void LocaleText::append(QStringView text, QByteArray& out) {
    // Into the buffer's own room: a line of output costs no allocation of its own.
    const qsizetype start = out.size();
    out.resize(start + m_encoder.requiredSpace(text.size()));
    const char* end = m_encoder.appendToBuffer(out.data() + start, text);
    out.resize(end - out.constData());
}

QByteArray LocaleText::encode(QStringView text) {
    QByteArray out;
    append(text, out);
    return out;
}

bool writeAll(std::FILE* stream, const QByteArray& bytes) {
    return std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream) ==
           static_cast<std::size_t>(bytes.size());
}

} // namespace filarion::platform
