#pragma once

#include <QCoreApplication>

namespace filarion::test {

// The application a GoogleTest case needs for an event loop (answers from other threads come through it):
// made once, for the whole test program.
inline void ensureCoreApplication() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "filarion_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
}

} // namespace filarion::test
