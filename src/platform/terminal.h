#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringView>
#include <cstdio>

namespace filarion::platform {

// True when the program's standard input is a terminal: a question may be asked there.
bool standardInputIsTerminal();

// A write to a closed pipe fails with EPIPE instead of ending the program: a reader that goes away never
// stops a run half way.
void ignoreBrokenPipe();

// One line read from standard input, without its line end; nothing at the end of the input.
bool readInputLine(QByteArray& line);

// The text encoding of the locale the environment chooses (LC_ALL, LC_CTYPE, LANG): what the command line
// reads its arguments in and writes its output in. A locale without an encoding of its own (C, POSIX) and one
// whose encoding Qt does not know give UTF-8, as Qt itself does.
class LocaleText {
public:
    LocaleText();

    QString decode(const char* bytes);
    // Appends the text in the locale's encoding; a character it cannot hold becomes '?'.
    void append(QStringView text, QByteArray& out);
    QByteArray encode(QStringView text);

private:
    QStringEncoder m_encoder{QStringEncoder::Utf8};
    QStringDecoder m_decoder{QStringDecoder::Utf8};
};

// Writes the bytes to the stream whole; false when they did not all go out.
bool writeAll(std::FILE* stream, const QByteArray& bytes);

} // namespace filarion::platform
