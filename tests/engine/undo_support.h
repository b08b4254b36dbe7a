#pragma once

// What the preview, table and undo tests share: a folder's state, services that answer every question with Yes,
// and the undo's texts spelled out on their own, so that a wrong text in the engine shows.

#include "support/recording_services.h"
#include "support/temp_folder.h"

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

inline QString undoQuestion(qsizetype count) {
    return QStringLiteral("将把上次改名的 %1 个文件改回原名，是否继续？").arg(count);
}

inline QString undoIncomplete(qsizetype count) {
    return QStringLiteral("有 %1 个文件未能改回原名，详见日记文件QuillmarkLog.txt！").arg(count);
}

inline const QString kNothingToUndo = QStringLiteral("日记文件中没有可撤销的改名！");

} // namespace filarion::test
