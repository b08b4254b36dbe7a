#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>

namespace filarion::platform {

// True when this Qt build has the GBK codec (through ICU). Without it every log and list would be written
// wrongly: the program checks it once at start-up and refuses to run.
bool gbkCodecAvailable();

// Encodes text in GBK (code page 936). A character GBK cannot hold becomes a single '?'.
class GbkEncoder {
public:
    GbkEncoder();

    // Appends the GBK bytes of the text to out.
    void append(QStringView text, QByteArray& out);
    // Appends the GBK bytes of the text and CR LF to out, as one record of a text file: a line break inside
    // the text is written as '?', so the text stays one line and cannot make lines of its own.
    void appendRecord(QStringView text, QByteArray& out);

    QByteArray encode(QStringView text);

private:
    void appendConverted(QStringView text, QByteArray& out);

    QStringEncoder m_encoder;
};

} // namespace filarion::platform
