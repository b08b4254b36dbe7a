#include "platform/gbk_text.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace filarion::platform {

namespace {

QStringEncoder makeGbkEncoder() {
    // Stateless: nothing of one text (a lone high surrogate at its end) carries over into the next.
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    if (!encoder.isValid()) {
        // Without GBK every log and list would be written wrongly; refuse to run at all.
        std::fputs("filarion: this Qt build has no GBK codec (ICU missing)\n", stderr);
        std::abort();
    }
    return encoder;
}

// The characters ICU's GBK converter leaves out instead of writing '?': the default-ignorable code points,
// none of which GBK holds.
bool isLeftOutByConverter(char32_t c) {
    return c == 0x00AD || c == 0x034F || c == 0x061C || (c >= 0x115F && c <= 0x1160) || (c >= 0x17B4 && c <= 0x17B5) ||
           (c >= 0x180B && c <= 0x180F) || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2060 && c <= 0x206F) || c == 0x3164 || (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF ||
           c == 0xFFA0 || (c >= 0xFFF0 && c <= 0xFFF8) || (c >= 0x1BCA0 && c <= 0x1BCA3) ||
           (c >= 0x1D173 && c <= 0x1D17A) || (c >= 0xE0000 && c <= 0xE0FFF);
}

// The number of code units of the character at i; negative when the converter would not write it as
// '?' although GBK cannot hold it (a lone surrogate, a left-out character).
qsizetype characterAt(QStringView text, qsizetype i) {
    const QChar c = text[i];
    if (c.unicode() < 0x00AD) {
        return 1;
    }
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        return isLeftOutByConverter(QChar::surrogateToUcs4(c, text[i + 1])) ? -2 : 2;
    }
    return c.isSurrogate() || isLeftOutByConverter(c.unicode()) ? -1 : 1;
}

constexpr qsizetype kSaveFileChunk = 64 * 1024;

} // namespace

GbkEncoder::GbkEncoder() : m_encoder(makeGbkEncoder()) {}

void GbkEncoder::append(QStringView text, QByteArray& out) {
    qsizetype i = 0;
    qsizetype units = 1;
    while (i < text.size() && (units = characterAt(text, i)) > 0) {
        i += units;
    }
    if (i == text.size()) {
        appendConverted(text, out);
        return;
    }
    // Rare: such a character becomes '?' here, as every character GBK cannot hold.
    QString substituted;
    substituted.reserve(text.size());
    substituted.append(text.left(i));
    while (i < text.size()) {
        units = characterAt(text, i);
        if (units < 0) {
            substituted.append(u'?');
            i -= units;
        } else {
            substituted.append(text.mid(i, units));
            i += units;
        }
    }
    appendConverted(substituted, out);
}

void GbkEncoder::appendConverted(QStringView text, QByteArray& out) {
    const qsizetype start = out.size();
    out.resize(start + m_encoder.requiredSpace(text.size()));
    char* end = m_encoder.appendToBuffer(out.data() + start, text);
    out.resize(end - out.constData());
}

void GbkEncoder::appendLine(QStringView text, QByteArray& out) {
    append(text, out);
    out.append("\r\n", 2);
}

void GbkEncoder::appendRecord(QStringView text, QByteArray& out) {
    const qsizetype start = out.size();
    append(text, out);
    // CR and LF never occur inside a GBK double-byte character (trail bytes start at 0x40).
    for (qsizetype i = start; i < out.size(); ++i) {
        if (out[i] == '\r' || out[i] == '\n') {
            out[i] = '?';
        }
    }
    out.append("\r\n", 2);
}

QByteArray GbkEncoder::encode(QStringView text) {
    QByteArray out;
    append(text, out);
    return out;
}

GbkAppendFile::~GbkAppendFile() { close(); }

std::error_code GbkAppendFile::open(const QString& path) {
    close();
    // Never waits: a FIFO of that name without a reader fails the open at once (ENXIO) and one that is not
    // read fails a write, where a blocking file would hold the command forever. A regular file ignores it.
    m_fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (m_fd < 0) {
        return {errno, std::generic_category()};
    }
    return {};
}

std::error_code GbkAppendFile::writeLine(QStringView line) {
    if (m_fd < 0) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    m_buffer.resize(0); // keeps the capacity for the next line
    m_encoder.appendRecord(line, m_buffer);
    const char* data = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return {errno, std::generic_category()};
        }
        data += written;
        left -= written;
    }
    return {};
}

std::error_code GbkAppendFile::close() {
    if (m_fd < 0) {
        return {};
    }
    const int result = ::close(m_fd);
    m_fd = -1;
    if (result != 0) {
        return {errno, std::generic_category()};
    }
    return {};
}

GbkSaveFile::GbkSaveFile(const QString& path) : m_file(path) {}

bool GbkSaveFile::open() {
    m_failed = !m_file.open(QIODevice::WriteOnly);
    return !m_failed;
}

void GbkSaveFile::writeLine(QStringView line) {
    if (m_failed) {
        return;
    }
    m_encoder.appendRecord(line, m_buffer);
    if (m_buffer.size() >= kSaveFileChunk) {
        flushBuffer();
    }
}

void GbkSaveFile::flushBuffer() {
    if (!m_failed && !m_buffer.isEmpty() && m_file.write(m_buffer) != m_buffer.size()) {
        m_failed = true;
    }
    m_buffer.resize(0); // keeps the capacity for the next line
}

bool GbkSaveFile::commit() {
    flushBuffer();
    if (m_failed) {
        m_file.cancelWriting();
        if (m_file.isOpen()) {
            m_file.commit(); // discards the temporary file after cancelWriting
        }
        return false;
    }
    return m_file.commit();
}

} // namespace filarion::platform
