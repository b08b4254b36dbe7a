#include "name_helpers_properties.h"

#include "engine/name_helpers.h"
#include "fuzz_input.h"
#include "text_reference.h"

#include <QDir>
#include <algorithm>
#include <climits>

namespace filarion::fuzz {

using namespace Qt::StringLiterals;
using namespace engine;

namespace {

// The characters a file name may not hold; NUL among them, because a name would end at it.
bool isForbidden(QStringView character) {
    return character.size() == 1 && (character[0] == u'\0' || QStringView(u"\"*/:<>?\\|").contains(character[0]));
}

bool referenceHasIllegalChar(QStringView text) {
    bool illegal = false;
    forEachCharacter(text, [&illegal](QStringView character) {
        illegal = illegal || isForbidden(character) || !gbkHolds(character);
    });
    return illegal;
}

QString checkSplit(const QString& name) {
    const QString extension = GetExtension(name).toString();
    const QString namePart = GetNamePart(name).toString();
    if (namePart + extension != name) {
        return u"GetNamePart + GetExtension does not give the name back for "_s + describe(name);
    }
    const qsizetype lastDot = name.lastIndexOf(u'.');
    if (extension != (lastDot < 0 ? QString() : name.mid(lastDot))) {
        return u"the extension is neither empty nor the text from the last dot for "_s + describe(name);
    }
    return {};
}

QString checkInsert(const QString& text, const QString& insertion, int position) {
    const QString result = InsertString(text, insertion, position);
    const auto at = static_cast<qsizetype>(std::clamp<long long>(position, 0, text.size()));
    if (result.size() != text.size() + insertion.size() || QStringView(result).left(at) != QStringView(text).left(at) ||
        QStringView(result).mid(at, insertion.size()) != insertion ||
        QStringView(result).mid(at + insertion.size()) != QStringView(text).mid(at)) {
        return u"InsertString does not put the insertion whole after the first %1 characters: "_s.arg(at) +
               describe(text) + u" + "_s + describe(insertion) + u" at %1 gave "_s.arg(position) + describe(result);
    }
    return {};
}

QString checkRepeat(const QString& text, int count) {
    const QString result = RepeatString(text, count);
    const qsizetype expected = count > 0 ? text.size() * count : 0;
    bool blocks = result.size() == expected;
    for (qsizetype start = 0; blocks && start < result.size(); start += text.size()) {
        blocks = QStringView(result).mid(start, text.size()) == text;
    }
    if (!blocks) {
        return u"RepeatString of "_s + describe(text) + u" %1 times gave "_s.arg(count) + describe(result);
    }
    return {};
}

QString checkJoin(const QString& folder, const QString& name) {
    const QString path = JoinPath(folder, name);
    const QChar separator = QDir::separator();
    const bool endsInSeparator = !folder.isEmpty() && folder.back() == separator;
    const QString expected = endsInSeparator ? folder + name : folder + separator + name;
    if (path != expected) {
        return u"JoinPath doubles or drops the separator: "_s + describe(folder) + u" and "_s + describe(name) +
               u" gave "_s + describe(path);
    }
    return {};
}

QString checkIllegal(const QString& text) {
    const bool expected = referenceHasIllegalChar(text);
    if (HasIllegalChar(text) != expected) {
        return u"HasIllegalChar is %1 for "_s.arg(expected ? u"false"_s : u"true"_s) + describe(text);
    }
    return {};
}

} // namespace

QString checkNameHelpers(const NameHelperValues& values) {
    for (const QString& problem :
         {checkSplit(values.name), checkSplit(values.text), checkInsert(values.text, values.insertion, values.position),
          checkInsert(values.insertion, values.text, values.position), checkRepeat(values.text, values.count),
          checkRepeat(values.insertion, values.count), checkJoin(values.folder, values.name), checkIllegal(values.name),
          checkIllegal(values.text), checkIllegal(values.insertion)}) {
        if (!problem.isEmpty()) {
            return problem;
        }
    }
    return {};
}

QString checkNameHelpersInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    NameHelperValues values;
    switch (input.byte() % 8) {
    case 0:
        values.position = static_cast<int>(input.number(INT_MIN, INT_MAX));
        break;
    default:
        values.position = static_cast<int>(input.number(-3, 70));
        break;
    }
    values.count = static_cast<int>(input.number(-5, 40));
    values.name = input.text(80);
    values.text = input.text(64);
    values.insertion = input.text(24);
    values.folder = input.text(32);
    return checkNameHelpers(values);
}

} // namespace filarion::fuzz
