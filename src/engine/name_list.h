#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <initializer_list>

namespace filarion::engine {

// A list of names held compactly: their units one after another in one text, found by their starts, so
// that a million names cost a few large blocks rather than a million strings, and four bytes a name for its
// start. Copies share the blocks until one of them changes.
class NameList {
public:
    NameList() = default;
    // A list of strings is a list of names: callers that hold strings pass them as they are.
    NameList(const QStringList& names);
    NameList(std::initializer_list<QStringView> names);

    qsizetype size() const { return m_starts.isEmpty() ? 0 : m_starts.size() - 1; }
    bool isEmpty() const { return size() == 0; }
    // Name i, in the list's own text: valid while the list lives unchanged.
    QStringView at(qsizetype i) const {
        const auto start = static_cast<qsizetype>(m_starts.at(i));
        return QStringView(m_text).sliced(start, static_cast<qsizetype>(m_starts.at(i + 1)) - start);
    }
    QStringView operator[](qsizetype i) const { return at(i); }

    // The list's text and the starts of its names in it, then the text's end (empty for no names).
    const QString& text() const { return m_text; }
    const QList<std::uint32_t>& starts() const { return m_starts; }

    void reserve(qsizetype names, qsizetype units);
    // Gives back the room reserved and not taken.
    void squeeze() {
        m_text.squeeze();
        m_starts.squeeze();
    }
    // Throws std::length_error, as a full container does, where the text would pass 4 G units (8 GB).
    void append(QStringView name);

    friend bool operator==(const NameList& a, const NameList& b);

private:
    QString m_text;
    QList<std::uint32_t> m_starts; // where name i starts in m_text, then the text's end; empty for no names
};

} // namespace filarion::engine
