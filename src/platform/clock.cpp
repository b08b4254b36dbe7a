#include "platform/clock.h"

#include <QLocale>

namespace filarion::platform {

namespace {

// The locale's short time format, or, when that has no seconds, its long format without the time zone.
QString timeFormatWithSeconds(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (format.contains(u's')) {
        return format;
    }
    format = locale.timeFormat(QLocale::LongFormat);
    QString stripped;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
        }
        if (!quoted && c == u't') {
            continue;
        }
        stripped.append(c);
    }
    stripped = stripped.simplified();
    return stripped.contains(u's') ? stripped : QStringLiteral("HH:mm:ss");
}

} // namespace

QString formatStamp(const QDateTime& moment) {
    const QLocale locale = QLocale::system();
    return locale.toString(moment.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(moment.time(), timeFormatWithSeconds(locale));
}

QString currentStamp() {
    return formatStamp(QDateTime::currentDateTime());
}

} // namespace filarion::platform
