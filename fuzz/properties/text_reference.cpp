#include "text_reference.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <array>
#include <cstdint>

namespace filarion::fuzz {

using namespace Qt::StringLiterals;

void forEachCharacter(QStringView text, const std::function<void(QStringView character)>& visit) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        visit(text.mid(i, pair ? 2 : 1));
        i += pair ? 1 : 0;
    }
}

bool hasLoneSurrogate(QStringView text) {
    bool lone = false;
    forEachCharacter(
        text, [&lone](QStringView character) { lone = lone || (character.size() == 1 && character[0].isSurrogate()); });
    return lone;
}

bool gbkHolds(QStringView character) {
    // A fresh, stateless converter for every question: nothing of an earlier call can leak into the answer.
    const auto ask = [character] {
        QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
        QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
        const QByteArray bytes = encoder.encode(character);
        return !bytes.isEmpty() && QString(decoder.decode(bytes)) == character;
    };
    if (character.size() != 1) {
        return ask();
    }
    static std::array<std::int8_t, 0x10000> known{}; // 0 unknown, 1 held, -1 not held
    std::int8_t& answer = known[character[0].unicode()];
    if (answer == 0) {
        answer = ask() ? 1 : -1;
    }
    return answer > 0;
}

QString gbkImage(QStringView text) {
    QString image;
    image.reserve(text.size());
    forEachCharacter(text, [&image](QStringView character) {
        if (gbkHolds(character)) {
            image.append(character);
        } else {
            image.append(u'?');
        }
    });
    return image;
}

QString describe(QStringView text) {
    QString out;
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F && c != u'\\') {
            out.append(c);
        } else {
            out.append(u"\\u%1"_s.arg(c.unicode(), 4, 16, QChar(u'0')));
        }
    }
    return u"\""_s + out + u"\""_s;
}

} // namespace filarion::fuzz
