#pragma once

#include <QString>

#include <vector>

namespace filarion::ui {

// A file-name pattern as typed in the pattern box: one or more wildcard patterns separated by ';'.
// '*' matches any run of characters (an empty one too), '?' exactly one character, anything else
// itself; letter case is ignored. "*.*" matches every name, a name without a dot too. Blanks around
// the separators belong to the patterns; an empty pattern matches nothing.
class FilePattern {
public:
    explicit FilePattern(const QString& text);

    bool matches(QStringView name) const;

private:
    struct Part {
        QString folded; // the pattern, case-folded
        bool everything = false;
    };
    std::vector<Part> m_parts;
};

// Wildcard match of an already case-folded name against an already case-folded pattern.
bool wildcardMatch(QStringView foldedPattern, QStringView foldedName);

} // namespace filarion::ui
