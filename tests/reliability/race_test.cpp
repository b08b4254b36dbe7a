// A target name that appears after the working set was read and before its file is renamed: the rename
// refuses it, the user is told, the log says so, and both files keep their bytes.

#include "engine/rename_run.h"
#include "reliability_support.h"
#include "support/engine_run.h"
#include "support/file_systems.h"

#include <QFile>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;

constexpr int kEntries = 8;

// A method with its files in list order and what each becomes; an entry the method leaves alone keeps
// its name.
struct RaceMethod {
    const char* label;
    engine::RenameRequest request;
    QStringList files;
    QStringList newNames;

    bool renamed(int k) const { return files[k] != newNames[k]; }
};

void PrintTo(const RaceMethod& method, std::ostream* out) {
    *out << method.label;
}

RaceMethod numbered(const char* label, engine::RenameRequest request, const QString& oldForm, const QString& newForm) {
    RaceMethod method{label, std::move(request), {}, {}};
    for (int k = 0; k < kEntries; ++k) {
        method.files << oldForm.arg(k);
        method.newNames << newForm.arg(k);
    }
    return method;
}

// Names one character longer each, so that the fill method pads all but the last.
RaceMethod fillMethod() {
    RaceMethod method{"Fill", fillRequest(u"_"_s), {}, {}};
    for (int k = 0; k < kEntries; ++k) {
        const QString name = u"f"_s + QString(k, u'x') + u".txt"_s;
        method.files << name;
        method.newNames << QString(kEntries - 1 - k, u'_') + name;
    }
    return method;
}

const RaceMethod kMethods[] = {
    numbered("Replace", replaceRequest(u"cad"_s, u"zet"_s), u"cad%1.txt"_s, u"zet%1.txt"_s),
    numbered("Prefix", prefixRequest(u"zet"_s), u"f%1.txt"_s, u"zet%1.txt"_s),
    fillMethod(),
    numbered("Insert", insertRequest(u"ins"_s, u"1"_s), u"f%1.txt"_s, u"fins%1.txt"_s),
};

QByteArray contentOf(int trial, const QString& name) {
    return "trial " + QByteArray::number(trial) + ": " + name.toUtf8();
}

QByteArray pathIn(const TempFolder& folder, const QString& name) {
    return QFile::encodeName(folder.filePath(name));
}

// What stands at a target name before the rename comes to it.
enum class Intruder { File, Folder, DanglingLink, LinkToFile };
constexpr Intruder kIntruders[] = {Intruder::File, Intruder::Folder, Intruder::DanglingLink, Intruder::LinkToFile};

// Creates the intruder at the name; what it must still be afterwards is checked by expectIntact().
void intrude(const TempFolder& folder, const QString& name, Intruder kind, const QByteArray& content) {
    const QByteArray path = pathIn(folder, name);
    switch (kind) {
    case Intruder::File:
        ASSERT_TRUE(createExclusive(path, content));
        break;
    case Intruder::Folder:
        ASSERT_EQ(::mkdir(path.constData(), 0755), 0);
        ASSERT_TRUE(createExclusive(path + "/inside", content));
        break;
    case Intruder::DanglingLink:
        ASSERT_EQ(::symlink(content.constData(), path.constData()), 0);
        break;
    case Intruder::LinkToFile:
        ASSERT_TRUE(createExclusive(path + ".kept", content));
        ASSERT_EQ(::symlink(QFile::encodeName(name + u".kept"_s).constData(), path.constData()), 0);
        break;
    }
}

void expectIntact(const TempFolder& folder, const QString& name, Intruder kind, const QByteArray& content) {
    const QByteArray path = pathIn(folder, name);
    struct stat st {};
    ASSERT_EQ(::lstat(path.constData(), &st), 0) << name.toStdString();
    switch (kind) {
    case Intruder::File:
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(readBytes(path), content);
        break;
    case Intruder::Folder:
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(readBytes(path + "/inside"), content);
        break;
    case Intruder::DanglingLink:
    case Intruder::LinkToFile: {
        EXPECT_TRUE(S_ISLNK(st.st_mode));
        char target[4096];
        const ssize_t length = ::readlink(path.constData(), target, sizeof target);
        ASSERT_GT(length, 0);
        if (kind == Intruder::DanglingLink) {
            EXPECT_EQ(QByteArray(target, length), content);
        } else {
            EXPECT_EQ(readBytes(path), content); // followed to the file it names
        }
        break;
    }
    }
}

// The folder of one trial: every file holds its own bytes, and the working set is read from the disk.
QStringList prepare(const TempFolder& folder, const RaceMethod& method, int trial) {
    for (const QString& name : method.files) {
        EXPECT_TRUE(createExclusive(pathIn(folder, name), contentOf(trial, name)));
    }
    return readWorkingSet(folder.path(), u"*.txt"_s);
}

// Where the run races: this machine's own file system with its atomic no-replace rename; the same with
// the calls that FAT and exFAT refuse refused (no RENAME_NOREPLACE, no hard links); and a real exFAT through
// FUSE, as a camera card is mounted on older systems; a NAS through sshfs whose server has no posix-rename (a
// rename never replaces there), and one whose hard links are off (the claim method).
enum class FileSystem { Native, WithoutNoReplace, FuseExfat, SshfsNoPosixRename, SshfsNoHardLinks };

const char* labelOf(FileSystem system) {
    switch (system) {
    case FileSystem::Native:
        return "Native";
    case FileSystem::WithoutNoReplace:
        return "WithoutNoReplaceOrLinks";
    case FileSystem::FuseExfat:
        return "FuseExfat";
    case FileSystem::SshfsNoPosixRename:
        return "SshfsNoPosixRename";
    case FileSystem::SshfsNoHardLinks:
        return "SshfsNoHardLinks";
    }
    return "";
}

void PrintTo(FileSystem system, std::ostream* out) {
    *out << labelOf(system);
}

// Mounted once for the whole program, at its first use.
const FuseExfat& exfatCard() {
    static const FuseExfat card;
    return card;
}

const FuseSshfs& nas(FileSystem system) {
    static const FuseSshfs noPosixRename(SftpServer::NoPosixRename);
    static const FuseSshfs noHardLinks(SftpServer::NoHardLinks);
    return system == FileSystem::SshfsNoPosixRename ? noPosixRename : noHardLinks;
}

class Race : public ::testing::TestWithParam<std::tuple<RaceMethod, FileSystem>> {
protected:
    void SetUp() override {
        if (system() == FileSystem::FuseExfat && !exfatCard().mounted()) {
            FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE exFAT here: " << exfatCard().reason());
        }
        if (onNas() && !nas(system()).mounted()) {
            FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE sshfs here: " << nas(system()).reason());
        }
        if (system() == FileSystem::WithoutNoReplace) {
            m_forced = std::make_unique<WithoutNoReplace>();
        }
    }
    const RaceMethod& method() const { return std::get<0>(GetParam()); }
    FileSystem system() const { return std::get<1>(GetParam()); }
    bool onNas() const {
        return system() == FileSystem::SshfsNoPosixRename || system() == FileSystem::SshfsNoHardLinks;
    }
    // Each request goes over the network there: fewer trials.
    int trials(int local) const { return onNas() ? local / 5 : local; }
    // The log as the run left it, a refused rename's done line taken out where the log is only appended to
    // (FUSE: its refusal follows the rest of the batch there).
    QByteArray logOf(const TempFolder& folder) const {
        const QByteArray log = folder.read(u"QuillmarkLog.txt"_s);
        return system() == FileSystem::FuseExfat || onNas() ? withoutWithdrawnLines(log) : log;
    }
    // A fresh folder for one trial, on the file system of the test.
    std::unique_ptr<TempFolder> trialFolder() const {
        if (onNas()) {
            return std::make_unique<TempFolder>(nas(system()).path());
        }
        return system() == FileSystem::FuseExfat ? std::make_unique<TempFolder>(exfatCard().path())
                                                 : std::make_unique<TempFolder>();
    }

private:
    std::unique_ptr<WithoutNoReplace> m_forced;
};

// The target appears from inside the run, just before its entry: each trial intrudes on a random set of
// the entries, with a random kind of intruder each.
TEST_P(Race, TargetCreatedJustBeforeTheRenameIsNeverReplaced) {
    const RaceMethod& method = this->method();
    std::mt19937 random(static_cast<unsigned>(std::hash<std::string>{}(method.label)));
    // exFAT holds no symbolic links.
    const std::size_t kinds = system() == FileSystem::FuseExfat ? 2 : std::size(kIntruders);
    const int trials = this->trials(100);
    for (int trial = 0; trial < trials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        const std::unique_ptr<TempFolder> scratch = trialFolder();
        const TempFolder& folder = *scratch;
        const QStringList set = prepare(folder, method, trial);
        ASSERT_EQ(set, method.files);

        std::vector<std::optional<Intruder>> intruders(kEntries);
        for (int k = 0; k < kEntries; ++k) {
            if (method.renamed(k) && random() % 3 == 0) {
                intruders[k] = kIntruders[random() % kinds];
            }
        }
        const auto intruderContent = [&](int k) { return "intruder " + QByteArray::number(trial * 100 + k); };
        HookedServices services;
        services.beforeEntry = [&](int k) {
            if (intruders[k]) {
                intrude(folder, method.newNames[k], *intruders[k], intruderContent(k));
            }
        };
        engine::RenameRequest request = method.request;
        request.Folder = folder.path();
        request.Files = set;
        engine::RenameFiles(request, services, fixedEnvironment());

        QStringList lines;
        QStringList messages;
        qsizetype entries = kEntries + 1; // the files and the log
        for (int k = 0; k < kEntries; ++k) {
            const QString& oldName = method.files[k];
            const QString& newName = method.newNames[k];
            if (intruders[k]) {
                messages << takenMessage(oldName, newName);
                lines << takenLine(oldName, newName);
                expectIntact(folder, newName, *intruders[k], intruderContent(k));
                entries += *intruders[k] == Intruder::LinkToFile ? 2 : 1;
                EXPECT_EQ(readBytes(pathIn(folder, oldName)), contentOf(trial, oldName));
            } else {
                if (method.renamed(k)) {
                    lines << doneLine(oldName, newName);
                    EXPECT_FALSE(folder.exists(oldName));
                }
                EXPECT_EQ(readBytes(pathIn(folder, newName)), contentOf(trial, oldName));
            }
        }
        EXPECT_EQ(folder.entries().size(), entries);
        EXPECT_EQ(services.ticks, kEntries);
        EXPECT_EQ(services.messages, messages);
        EXPECT_EQ(logOf(folder), expectedLog(lines));
        EXPECT_TRUE(services.idle());
        if (HasFailure()) {
            return;
        }
    }
}

// A second thread races the run for one target name: it waits until the entry before it is renamed, then
// creates the name, never replacing anything itself. Exactly one of the two gets the name; the run's
// message and log tell which, and no byte of either file is lost.
TEST_P(Race, ThreadCreatingTheTargetDuringTheRunLosesNothing) {
    const RaceMethod& method = this->method();
    std::mt19937 random(static_cast<unsigned>(std::hash<std::string>{}(method.label)) + 1U);
    std::vector<int> renamable;
    for (int k = 0; k < kEntries; ++k) {
        if (method.renamed(k)) {
            renamable.push_back(k);
        }
    }
    const int trials = this->trials(250);
    int intruderFirst = 0;
    // The rival sets off when the second entry before its target is renamed, then spins a while: longer after
    // it came first, shorter after the rename did, so that the two meet at the edge whatever the build's speed.
    int delay = 0;
    for (int trial = 0; trial < trials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        const std::unique_ptr<TempFolder> scratch = trialFolder();
        const TempFolder& folder = *scratch;
        const QStringList set = prepare(folder, method, trial);
        ASSERT_EQ(set, method.files);
        const std::size_t pick = random() % renamable.size();
        const int target = renamable[pick];
        const QByteArray targetPath = pathIn(folder, method.newNames[target]);
        const std::size_t back = std::min<std::size_t>(pick, 2);
        const QByteArray waitFor = back == 0 ? QByteArray() : pathIn(folder, method.newNames[renamable[pick - back]]);
        const QByteArray intruder = "intruder " + QByteArray::number(trial);
        const int spinsBefore = delay + static_cast<int>(random() % (delay / 2 + 16));

        std::atomic<bool> spinning{false};
        std::atomic<bool> runOver{false};
        bool created = false;
        int refusal = 0;
        std::thread rival([&] {
            struct stat st {};
            spinning.store(true);
            // Once the run is over the entry before is renamed for sure; the attempt is made all the same.
            while (!waitFor.isEmpty() && ::lstat(waitFor.constData(), &st) != 0 && !runOver.load()) {
            }
            std::atomic<int> spins{0};
            while (spins.fetch_add(1, std::memory_order_relaxed) < spinsBefore) {
            }
            created = createExclusive(targetPath, intruder);
            refusal = created ? 0 : errno;
        });
        while (!spinning.load()) {
            std::this_thread::yield();
        }
        RecordingServices services;
        engine::RenameRequest request = method.request;
        request.Folder = folder.path();
        request.Files = set;
        engine::RenameFiles(request, services, fixedEnvironment());
        runOver.store(true);
        rival.join();

        QStringList lines;
        for (const int k : renamable) {
            const QString& oldName = method.files[k];
            const QString& newName = method.newNames[k];
            if (k == target && created) {
                lines << takenLine(oldName, newName);
                EXPECT_EQ(readBytes(targetPath), intruder);
                EXPECT_EQ(readBytes(pathIn(folder, oldName)), contentOf(trial, oldName));
            } else {
                lines << doneLine(oldName, newName);
                EXPECT_EQ(readBytes(pathIn(folder, newName)), contentOf(trial, oldName));
                EXPECT_FALSE(folder.exists(oldName));
            }
        }
        if (back == 2) {
            delay = created ? delay + delay / 4 + 8 : delay - delay / 5;
        }
        if (created) {
            ++intruderFirst;
            EXPECT_EQ(services.messages, QStringList{takenMessage(method.files[target], method.newNames[target])});
        } else {
            EXPECT_EQ(refusal, EEXIST); // the rename came first; the rival did not replace it
            EXPECT_TRUE(services.messages.isEmpty());
        }
        EXPECT_EQ(logOf(folder), expectedLog(lines));
        EXPECT_EQ(folder.entries().size(), kEntries + (created ? 2 : 1));
        EXPECT_TRUE(services.idle());
        if (HasFailure()) {
            return;
        }
    }
    std::printf("[ race     ] %s on %s: %d trials, the rival came first in %d, the rename in %d, no file lost\n",
                method.label, labelOf(system()), trials, intruderFirst, trials - intruderFirst);
}

INSTANTIATE_TEST_SUITE_P(MethodsAndFileSystems, Race,
                         ::testing::Combine(::testing::ValuesIn(kMethods),
                                            ::testing::Values(FileSystem::Native, FileSystem::WithoutNoReplace,
                                                              FileSystem::FuseExfat, FileSystem::SshfsNoPosixRename,
                                                              FileSystem::SshfsNoHardLinks)),
                         [](const ::testing::TestParamInfo<std::tuple<RaceMethod, FileSystem>>& param) {
                             return std::string(std::get<0>(param.param).label) + "_" +
                                    labelOf(std::get<1>(param.param));
                         });

} // namespace
} // namespace filarion::test
