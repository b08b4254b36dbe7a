#include "engine/name_list.h"

#include <stdexcept>

namespace filarion::engine {

NameList::NameList(const QStringList& names) {
    qsizetype units = 0;
    for (const QString& name : names) {
        units += name.size();
    }
    reserve(names.size(), units);
    for (const QString& name : names) {
        append(name);
    }
}

NameList::NameList(std::initializer_list<QStringView> names) {
    for (const QStringView name : names) {
        append(name);
    }
}

void NameList::reserve(qsizetype names, qsizetype units) {
    m_text.reserve(units);
    m_starts.reserve(names + 1);
}

void NameList::append(QStringView name) {
    if (m_text.size() + name.size() > static_cast<qsizetype>(UINT32_MAX)) {
        throw std::length_error("filarion::engine::NameList: more than 4 G units");
    }
    if (m_starts.isEmpty()) {
        m_starts.push_back(0);
    }
    m_text.append(name);
    m_starts.push_back(static_cast<std::uint32_t>(m_text.size()));
}

bool operator==(const NameList& a, const NameList& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a.at(i) != b.at(i)) {
            return false;
        }
    }
    return true;
}

} // namespace filarion::engine
