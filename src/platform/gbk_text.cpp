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
    QStringEncoder encoder("GBK");
    if (!encoder.isValid()) {
        // Without GBK every log and list would be written wrongly; refuse to run at all.
        std::fputs("filarion: this Qt build has no GBK codec (ICU missing)\n", stderr);
        std::abort();
    }
    return encoder;
}

constexpr qsizetype kSaveFileChunk = 64 * 1024;

} // namespace

GbkEncoder::GbkEncoder() : m_encoder(makeGbkEncoder()) {}

void GbkEncoder::append(QStringView text, QByteArray& out) {
    const qsizetype start = out.size();
    out.resize(start + m_encoder.requiredSpace(text.size()));
    char* end = m_encoder.appendToBuffer(out.data() + start, text);
    out.resize(end - out.constData());
}

void GbkEncoder::appendLine(QStringView text, QByteArray& out) {
    append(text, out);
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
    m_fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
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
    m_encoder.appendLine(line, m_buffer);
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
    m_encoder.appendLine(line, m_buffer);
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
