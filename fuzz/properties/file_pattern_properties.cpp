#include "file_pattern_properties.h"

#include "fuzz_input.h"
#include "text_reference.h"
#include "ui_core/file_pattern.h"

#include <QList>
#include <string>
#include <vector>

namespace filarion::fuzz {

using namespace Qt::StringLiterals;
using ui_core::FilePattern;

namespace {

// What the working set asks of a pattern for one name: the name folded once, then matched.
bool matchesName(const FilePattern& pattern, QStringView name) {
    std::u16string folded;
    ui_core::appendCaseFolded(name, folded);
    return pattern.matchesFolded(folded);
}

// Longest texts a check takes: long enough for every interesting shape, short enough that the
// quadratic reference below stays cheap. A slow matcher still shows through libFuzzer's -timeout.
constexpr qsizetype kMaxPattern = 48;
constexpr qsizetype kMaxName = 160;

// The textbook dynamic-programming wildcard match over UTF-16 code units: '*' any run, '?' one unit.
bool referenceMatch(QStringView pattern, QStringView name) {
    std::vector<char> row(static_cast<std::size_t>(name.size()) + 1, 0); // row[j]: pattern prefix matches name.left(j)
    row[0] = 1;
    for (const QChar p : pattern) {
        std::vector<char> next(row.size(), 0);
        if (p == u'*') {
            char reached = 0;
            for (std::size_t j = 0; j < row.size(); ++j) {
                reached = static_cast<char>(reached || row[j]);
                next[j] = reached;
            }
        } else {
            for (std::size_t j = 1; j < row.size(); ++j) {
                next[j] = static_cast<char>(row[j - 1] && (p == u'?' || p == name[static_cast<qsizetype>(j) - 1]));
            }
        }
        row.swap(next);
    }
    return row.back() != 0;
}

// The name with the letter case of each character chosen by the seed: as it is, upper, lower or title.
QString letterCaseVariant(QStringView name, unsigned seed) {
    QString variant;
    unsigned bits = seed;
    forEachCharacter(name, [&variant, &bits](QStringView character) {
        const char32_t code =
            character.size() == 2 ? QChar::surrogateToUcs4(character[0], character[1]) : character[0].unicode();
        char32_t mapped = code;
        switch (bits & 3U) {
        case 1:
            mapped = QChar::toUpper(code);
            break;
        case 2:
            mapped = QChar::toLower(code);
            break;
        case 3:
            mapped = QChar::toTitleCase(code);
            break;
        default:
            break;
        }
        bits = (bits >> 2) | (bits << 30);
        if (mapped == code) {
            variant.append(character); // a lone surrogate too
        } else {
            variant.append(QString::fromUcs4(&mapped, 1));
        }
    });
    return variant;
}

QString failure(const QString& property, const QString& pattern, const QString& name) {
    return property + u" (pattern "_s + describe(pattern) + u", name "_s + describe(name) + u")"_s;
}

} // namespace

QString checkFilePattern(const QString& pattern, const QString& name, unsigned letterCaseSeed) {
    const QString foldedName = name.toCaseFolded();

    // Each part on its own against the reference, and the list as the union of its parts.
    bool anyPart = false;
    for (const QStringView part : QStringView(pattern).split(u';')) {
        if (part.isEmpty()) {
            continue;
        }
        const QString foldedPart = part.toString().toCaseFolded();
        const bool reference = referenceMatch(foldedPart, foldedName);
        if (ui_core::wildcardMatch(foldedPart, foldedName) != reference) {
            return failure(u"wildcardMatch differs from the reference match"_s, foldedPart, foldedName);
        }
        const bool everything = foldedPart == u"*.*"_s;
        if (matchesName(FilePattern(part.toString()), name) != (reference || everything)) {
            return failure(u"a single pattern differs from the reference match"_s, part.toString(), name);
        }
        anyPart = anyPart || reference || everything;
    }
    const FilePattern whole(pattern);
    const bool matches = matchesName(whole, name);
    if (matches != anyPart) {
        return failure(u"a pattern list does not match exactly when one of its parts does"_s, pattern, name);
    }

    if (!matchesName(FilePattern(u"*"_s), name) || !matchesName(FilePattern(u"*.*"_s), name) ||
        !matchesName(FilePattern(pattern + u";*.*"_s), name)) {
        return failure(u"\"*\" or \"*.*\" does not match every name"_s, pattern, name);
    }

    std::u16string appended = u"x";
    ui_core::appendCaseFolded(name, appended);
    if (QStringView(appended) != u"x"_s + foldedName) {
        return failure(u"appendCaseFolded differs from QString::toCaseFolded"_s, pattern, name);
    }
    if (whole.matchesFolded(foldedName) != matches) {
        return failure(u"a name and its folded form given to matchesFolded are matched differently"_s, pattern, name);
    }

    // Qt's case conversion turns a lone surrogate into U+FFFD, but only once an earlier character of the
    // text has changed: such texts have no stable folded form. Names read from a folder never hold one.
    if (hasLoneSurrogate(pattern) || hasLoneSurrogate(name)) {
        return {};
    }
    if (matchesName(whole, foldedName) != matches) {
        return failure(u"the name and its case-folded form are matched differently"_s, pattern, name);
    }

    // Letter case is ignored the same way everywhere: the pattern matcher agrees with Qt's
    // case-insensitive comparison, which the sort and the name comparisons of the program use.
    const QString variant = letterCaseVariant(name, letterCaseSeed);
    const bool sameIgnoringCase = QString::compare(variant, name, Qt::CaseInsensitive) == 0;
    if (sameIgnoringCase != (variant.toCaseFolded() == foldedName)) {
        return failure(u"case-insensitive comparison and case folding disagree"_s, variant, name);
    }
    if (sameIgnoringCase && matchesName(whole, variant) != matches) {
        return failure(u"a name that differs only in letter case is matched differently"_s, pattern, variant);
    }

    // A pattern without wildcards matches exactly the names equal to it, letter case ignored.
    QString literal = name;
    literal.remove(u'*').remove(u'?').remove(u';');
    if (!literal.isEmpty()) {
        const FilePattern exact(literal);
        if (matchesName(exact, name) != (QString::compare(literal, name, Qt::CaseInsensitive) == 0)) {
            return failure(u"a pattern without wildcards does not match just its own name"_s, literal, name);
        }
        const QString literalVariant = letterCaseVariant(literal, letterCaseSeed);
        if (QString::compare(literalVariant, literal, Qt::CaseInsensitive) == 0 &&
            !matchesName(exact, literalVariant)) {
            return failure(u"a pattern equal to the name does not match it in another letter case"_s, literal,
                           literalVariant);
        }
    }
    return {};
}

QString checkFilePatternInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const auto seed = static_cast<unsigned>(input.number(0, 0xFFFFFFFFLL));
    const QString pattern = input.text(kMaxPattern);
    const QString name = input.text(kMaxName);
    return checkFilePattern(pattern, name, seed);
}

} // namespace filarion::fuzz
