#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QStringEncoder>

#include <memory>
#include <system_error>

namespace filarion::platform {

// Encodes text in GBK (code page 936). A character GBK cannot hold becomes a single '?'.
class GbkEncoder {
public:
    GbkEncoder();

    // Appends the GBK bytes of the text to out.
    void append(QStringView text, QByteArray& out);
    // Appends the GBK bytes of the text and CR LF to out.
    void appendLine(QStringView text, QByteArray& out);
    // appendLine for a record of a text file: a line break inside the text is written as '?', so the
    // text stays one line and cannot make lines of its own.
    void appendRecord(QStringView text, QByteArray& out);

    QByteArray encode(QStringView text);

private:
    void appendConverted(QStringView text, QByteArray& out);

    QStringEncoder m_encoder;
};

// A text file opened for appending lines in GBK, CR LF after each (a line break inside a line is written
// as '?'). Created when missing, never
// truncated. Every line is handed to the OS by one write before writeLine returns, so a process
// that dies between lines leaves whole lines behind. Opening and writing never wait: a FIFO of that
// name fails instead.
class GbkAppendFile {
public:
    GbkAppendFile() = default;
    ~GbkAppendFile();
    GbkAppendFile(const GbkAppendFile&) = delete;
    GbkAppendFile& operator=(const GbkAppendFile&) = delete;

    std::error_code open(const QString& path);
    std::error_code writeLine(QStringView line);
    std::error_code close();
    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd = -1;
    GbkEncoder m_encoder;
    QByteArray m_buffer;
};

// A text file written whole in GBK, CR LF after each line (a line break inside a line is written as '?'), through a temporary file that replaces
// the target only on commit: an existing file is never left half overwritten.
class GbkSaveFile {
public:
    explicit GbkSaveFile(const QString& path);

    bool open();
    // Lines are buffered; a failure is remembered and reported by commit().
    void writeLine(QStringView line);
    // Writes what is buffered and puts the file in place. False when anything failed.
    bool commit();

private:
    void flushBuffer();

    QSaveFile m_file;
    GbkEncoder m_encoder;
    QByteArray m_buffer;
    bool m_failed = false;
};

} // namespace filarion::platform
