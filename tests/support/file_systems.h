#pragma once

#include <QString>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace filarion::test {

// While it lives, the program's renames meet a file system that refuses RENAME_NOREPLACE (EINVAL) and, for
// the files `linkRefused` names (every file when it is empty), hard links (EPERM), as FAT, exFAT and many
// FUSE and network file systems do. Everything else goes to the real calls. It works by standing in for
// renameat2 and linkat in the test program itself.
class WithoutNoReplace {
public:
    explicit WithoutNoReplace(bool linksWork = false, std::function<bool(const char* name)> linkRefused = {});
    ~WithoutNoReplace();
    WithoutNoReplace(const WithoutNoReplace&) = delete;
    WithoutNoReplace& operator=(const WithoutNoReplace&) = delete;

    // The hard links asked for since construction, refused or not.
    int linkCalls() const;
};

// An exFAT file system mounted through FUSE (exfat-fuse, on a loop device over an image file), as camera
// cards are mounted on older systems; unmounted when it goes. Needs root, /dev/fuse and a loop device.
class FuseExfat {
public:
    FuseExfat();
    ~FuseExfat();
    FuseExfat(const FuseExfat&) = delete;
    FuseExfat& operator=(const FuseExfat&) = delete;

    bool mounted() const { return !m_mountPoint.isEmpty(); }
    // Why it could not be mounted, for the skip message.
    const std::string& reason() const { return m_reason; }
    const QString& path() const { return m_mountPoint; }

private:
    QString m_work;
    QString m_mountPoint;
    QString m_loopDevice;
    std::string m_reason;
};

// True when the environment asks that no test of a real file system, mount or display be skipped
// (FILARION_REQUIRE_REAL_PATHS=1, which CI sets): a test that cannot get what it needs then fails instead.
bool realPathsRequired();

} // namespace filarion::test

// Skips a test whose real file system, mount or display is missing here, or fails it where realPathsRequired().
// The message may be streamed: FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE exFAT here: " << card.reason()).
#define FILARION_SKIP_WITHOUT_REAL_PATH(message)                                                                       \
    if (::filarion::test::realPathsRequired())                                                                         \
        GTEST_FAIL() << "FILARION_REQUIRE_REAL_PATHS=1, yet skipped: " << message;                                     \
    else                                                                                                               \
        GTEST_SKIP() << message
