#pragma once

#include <QString>
#include <string>
#include <vector>

namespace filarion::ui_core {

// A file-name pattern as typed in the pattern box: one or more wildcard patterns separated by ';'.
// '*' matches any run of characters (an empty one too), '?' exactly one character, anything else
// itself; letter case is ignored. "*.*" matches every name, a name without a dot too. Blanks around
// the separators belong to the patterns; an empty pattern matches nothing.
class FilePattern {
public:
    explicit FilePattern(const QString& text);

    // The test of a name that is already case-folded (appendCaseFolded): the working set folds each name
    // once, for the pattern and for its sort.
    bool matchesFolded(QStringView foldedName) const;

private:
    struct Part {
        QString folded; // the pattern, case-folded
        bool everything = false;
        bool suffixOnly = false; // '*' and then no wildcard: the name need only end in the rest
    };
    std::vector<Part> m_parts;
    bool m_everything = false; // some part matches every name
};

// Wildcard match of an already case-folded name against an already case-folded pattern.
bool wildcardMatch(QStringView foldedPattern, QStringView foldedName);

// Appends the case-folded text to out: the same units as QString::toCaseFolded gives, without a
// string of its own for a text that is all ASCII.
void appendCaseFolded(QStringView text, std::u16string& out);

} // namespace filarion::ui_core
