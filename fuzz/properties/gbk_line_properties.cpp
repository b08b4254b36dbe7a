#include "gbk_line_properties.h"

#include "fuzz_input.h"
#include "platform/gbk_codec.h"
#include "text_reference.h"

#include <QStringDecoder>

namespace filarion::fuzz {

using namespace Qt::StringLiterals;

namespace {

// One line as the encoder appended it: its text encoded in GBK (each character GBK cannot hold, and each line
// break inside it, as '?'), then CR LF, and nothing else, a byte-order mark least of all.
QString checkLine(QByteArrayView line, const QString& text) {
    if (!line.endsWith("\r\n")) {
        return u"the line does not end in CR LF: "_s + describe(text);
    }
    if (line.startsWith("\xEF\xBB\xBF") && !text.startsWith(u"\uFEFF")) {
        return u"the line starts with a byte-order mark: "_s + describe(text);
    }
    QStringDecoder decoder("GBK");
    const QString decoded = decoder.decode(line.first(line.size() - 2));
    QString expected = gbkImage(text);
    expected.replace(u'\r', u'?').replace(u'\n', u'?');
    if (decoded != expected) {
        return u"the line of "_s + describe(text) + u" decodes to "_s + describe(decoded) + u" instead of "_s +
               describe(expected);
    }
    return {};
}

} // namespace

QString checkGbkLines(const QByteArray& before, const QString& first, const QString& second) {
    platform::GbkEncoder encoder;
    QByteArray out = before;
    encoder.appendRecord(first, out);
    const qsizetype firstEnd = out.size();
    encoder.appendRecord(second, out);
    const qsizetype secondEnd = out.size();
    encoder.appendRecord(QString(), out);

    if (!out.startsWith(before)) {
        return u"appendRecord changed the bytes already in the buffer"_s;
    }
    if (QString problem = checkLine(QByteArrayView(out).sliced(before.size(), firstEnd - before.size()), first);
        !problem.isEmpty()) {
        return problem;
    }
    const QByteArrayView secondLine = QByteArrayView(out).sliced(firstEnd, secondEnd - firstEnd);
    if (QString problem = checkLine(secondLine, second); !problem.isEmpty()) {
        return problem + u" (after the line "_s + describe(first) + u")"_s;
    }
    if (QByteArrayView(out).sliced(secondEnd) != "\r\n") {
        return u"an empty line is not just CR LF after the line "_s + describe(second);
    }
    platform::GbkEncoder fresh;
    QByteArray alone;
    fresh.appendRecord(second, alone);
    if (alone != secondLine) {
        return u"a line is encoded differently after the line "_s + describe(first) + u": "_s + describe(second);
    }
    return {};
}

QString checkGbkLinesInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    QByteArray before;
    for (auto length = input.number(0, 3); length > 0; --length) {
        before.append(static_cast<char>(input.byte()));
    }
    const QString first = input.text(200);
    const QString second = input.text(200);
    return checkGbkLines(before, first, second);
}

} // namespace filarion::fuzz
