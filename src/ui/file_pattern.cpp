#include "ui/file_pattern.h"

#include <QList>

namespace filarion::ui {

FilePattern::FilePattern(const QString& text) {
    for (const QStringView piece : QStringView(text).split(u';')) {
        if (piece.isEmpty()) {
            continue;
        }
        Part part;
        part.folded = piece.toString().toCaseFolded();
        part.everything = part.folded == u"*" || part.folded == u"*.*";
        m_parts.push_back(std::move(part));
    }
}

bool FilePattern::matches(QStringView name) const {
    if (m_parts.empty()) {
        return false;
    }
    for (const Part& part : m_parts) {
        if (part.everything) {
            return true;
        }
    }
    const QString folded = name.toString().toCaseFolded();
    for (const Part& part : m_parts) {
        if (wildcardMatch(part.folded, folded)) {
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

} // namespace filarion::ui
