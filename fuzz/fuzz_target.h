#pragma once

#include <QString>
#include <cstdio>
#include <cstdlib>

namespace filarion::fuzz {

// Turns a failed property into a crash, so that libFuzzer keeps the input that caused it.
inline void failOn(const QString& problem) {
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "property failed: %s\n", problem.toUtf8().constData());
        std::abort();
    }
}

} // namespace filarion::fuzz
