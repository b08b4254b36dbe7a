#pragma once

// What the preview, table and undo tests share: a folder's state, services that answer every question with Yes,
// and the undo's texts spelled out on their own, so that a wrong text in the engine shows.

#include "support/file_systems.h"
#include "support/recording_services.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QString>
#include <functional>

namespace filarion::test {

inline const QString kLog = QStringLiteral("QuillmarkLog.txt");

// Answers every question with Yes and keeps it; beforeAnswer runs while the question is open.
class YesServices : public RecordingServices {
public:
    bool askYesNo(const QString& text) override {
        questions.push_back(text);
        if (beforeAnswer) {
            beforeAnswer();
        }
        return true;
    }
    std::function<void()> beforeAnswer;
};

// Every entry of the folder but the log, with its bytes (a folder as "<folder>").
inline QMap<QString, QByteArray> folderState(const TempFolder& folder) {
    QMap<QString, QByteArray> state;
    for (const QString& name : folder.entries()) {
        if (name != kLog) {
            state.insert(name, QFileInfo(folder.filePath(name)).isDir() ? QByteArray("<folder>") : folder.read(name));
        }
    }
    return state;
}

inline QByteArray logOf(const TempFolder& folder) {
    return folder.exists(kLog) ? folder.read(kLog) : QByteArray();
}

// The file systems the random runs go on: this machine's, exFAT through FUSE (names compared without letter
// case, and as long as 255 UTF-16 units however many bytes they take), and a NAS through sshfs whose server has
// neither posix-rename nor hard links (renames there go the plain way, which never replaces there). Each mount
// is made once, at its first use.
enum class OnFileSystem { Native, FuseExfat, Sshfs };

class OnFileSystems : public ::testing::TestWithParam<OnFileSystem> {
protected:
    static const FuseExfat& exfatCard() {
        static const FuseExfat card;
        return card;
    }
    static const FuseSshfs& nas() {
        static const FuseSshfs mount(SftpServer::NoPosixRenameNoHardLinks);
        return mount;
    }
    bool onExfat() const { return GetParam() == OnFileSystem::FuseExfat; }
    bool onNas() const { return GetParam() == OnFileSystem::Sshfs; }
    QString base() const { return onExfat() ? exfatCard().path() : onNas() ? nas().path() : QDir::tempPath(); }
    void SetUp() override {
        if (onExfat() && !exfatCard().mounted()) {
            FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE exFAT here: " << exfatCard().reason());
        }
        if (onNas() && !nas().mounted()) {
            FILARION_SKIP_WITHOUT_REAL_PATH("no FUSE sshfs here: " << nas().reason());
        }
    }

public:
    static std::string nameOf(const ::testing::TestParamInfo<OnFileSystem>& row) {
        return row.param == OnFileSystem::Native      ? "Native"
               : row.param == OnFileSystem::FuseExfat ? "FuseExfat"
                                                      : "Sshfs";
    }
};

inline const auto kOnEveryFileSystem =
    ::testing::Values(OnFileSystem::Native, OnFileSystem::FuseExfat, OnFileSystem::Sshfs);

inline QString undoQuestion(qsizetype count) {
    return QStringLiteral("将把上次改名的 %1 个文件改回原名，是否继续？").arg(count);
}

inline QString undoIncomplete(qsizetype count) {
    return QStringLiteral("有 %1 个文件未能改回原名，详见日记文件QuillmarkLog.txt！").arg(count);
}

inline const QString kNothingToUndo = QStringLiteral("日记文件中没有可撤销的改名！");

} // namespace filarion::test
