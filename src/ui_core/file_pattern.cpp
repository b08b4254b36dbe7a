#include "ui_core/file_pattern.h"

#include <QList>

namespace filarion::ui_core {

namespace {

// Folds an all-ASCII text into out (as many units as the text); false at the first unit beyond
// ASCII, where only Qt's Unicode tables know the folding.
bool foldAscii(QStringView text, char16_t* out) {
    const char16_t* in = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = in[i];
        if (c >= 0x80) {
            return false;
        }
        out[i] = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
    }
    return true;
}

} // namespace

void appendCaseFolded(QStringView text, std::u16string& out) {
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(text.size()));
    if (foldAscii(text, out.data() + start)) {
        return;
    }
    out.resize(start);
    const QString folded = text.toString().toCaseFolded();
    out.append(reinterpret_cast<const char16_t*>(folded.utf16()), static_cast<std::size_t>(folded.size()));
}

FilePattern::FilePattern(const QString& text) {
    for (const QStringView piece : QStringView(text).split(u';')) {
        if (piece.isEmpty()) {
            continue;
        }
        Part part;
        part.folded = piece.toString().toCaseFolded();
        part.everything = part.folded == u"*" || part.folded == u"*.*";
        const QStringView rest = QStringView(part.folded).sliced(1);
        part.suffixOnly = part.folded.startsWith(u'*') && !rest.contains(u'*') && !rest.contains(u'?');
        m_everything = m_everything || part.everything;
        m_parts.push_back(std::move(part));
    }
}

bool FilePattern::matchesFolded(QStringView foldedName) const {
    for (const Part& part : m_parts) {
        if (part.everything) {
            return true;
        }
        if (part.suffixOnly ? foldedName.endsWith(QStringView(part.folded).sliced(1))
                            : wildcardMatch(part.folded, foldedName)) {
            return true;
        }
    }
    return false;
}

bool wildcardMatch(QStringView pattern, QStringView name) {
    // Greedy matching with one backtrack point: linear in practice, never exponential.
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n]) && pattern[p] != u'*') {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace filarion::ui_core
