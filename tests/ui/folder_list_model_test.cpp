#include "support/core_application.h"
#include "support/listed_volumes.h"
#include "support/recording_services.h"
#include "support/temp_folder.h"
#include "ui/folder_list_model.h"
#include "ui_core/session.h"

#include <QDir>
#include <gtest/gtest.h>

namespace filarion::ui {
namespace {
using namespace Qt::StringLiterals;

QStringList rows(const FolderListModel& model, int role = Qt::DisplayRole) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts.push_back(model.index(row).data(role).toString());
    }
    return texts;
}

// The model as the window fills it: from the moves of the session, which reads the folders.
class Moves {
public:
    Moves() {
        test::ensureCoreApplication();
        QObject::connect(
            &m_session, &ui_core::Session::folderShown,
            [this](const QString& folder, const QStringList& subfolders) { model.show(folder, subfolders); });
    }
    bool setFolder(const QString& folder) { return m_session.moveTo(folder); }

    FolderListModel model;

private:
    test::ListedVolumes m_volumes;
    test::RecordingServices m_services;
    ui_core::Session m_session{m_volumes, m_services};
};

TEST(FolderListModel, ListsAncestorsFromRootThenVisibleSubfoldersIgnoringCase) {
    test::TempFolder folder;
    for (const QString& name : {u"b"_s, u"A"_s, u"c"_s, u".hidden"_s, u"B2"_s}) {
        folder.makeFolder(name);
    }
    folder.touch(u"file.txt"_s);
    Moves moves;
    const FolderListModel& model = moves.model;
    ASSERT_TRUE(moves.setFolder(folder.path()));
    EXPECT_EQ(model.folder(), folder.path());

    QStringList ancestors{u"/"_s};
    for (const QString& part : folder.path().split(u'/', Qt::SkipEmptyParts)) {
        ancestors.push_back(part);
    }
    EXPECT_EQ(rows(model), ancestors + (QStringList{u"A"_s, u"b"_s, u"B2"_s, u"c"_s}));
    EXPECT_EQ(model.currentRow(), ancestors.size() - 1);
    EXPECT_EQ(model.pathAt(0), u"/"_s);
    EXPECT_EQ(model.pathAt(model.currentRow()), folder.path());
    EXPECT_EQ(model.pathAt(model.currentRow() - 1), QDir::cleanPath(folder.path() + u"/.."_s));
    EXPECT_EQ(model.pathAt(model.currentRow() + 2), folder.filePath(u"b"_s));
    EXPECT_EQ(model.pathAt(model.rowCount()), QString());
    // Ancestors are drawn one level deeper each; subfolders one level below the current folder.
    EXPECT_EQ(model.index(model.currentRow()).data(FolderListModel::DepthRole).toInt(), model.currentRow());
    EXPECT_EQ(model.index(model.rowCount() - 1).data(FolderListModel::DepthRole).toInt(), model.currentRow() + 1);
}

TEST(FolderListModel, RootHasItselfAsOnlyAncestor) {
    Moves moves;
    const FolderListModel& model = moves.model;
    ASSERT_TRUE(moves.setFolder(u"/"_s));
    EXPECT_EQ(model.currentRow(), 0);
    EXPECT_EQ(rows(model).first(), u"/"_s);
    EXPECT_EQ(model.pathAt(1).count(u'/'), 1);
}

TEST(FolderListModel, UnreadableFolderLeavesModelWhereItWas) {
    test::TempFolder folder;
    Moves moves;
    const FolderListModel& model = moves.model;
    ASSERT_TRUE(moves.setFolder(folder.path()));
    const QStringList before = rows(model);
    EXPECT_FALSE(moves.setFolder(folder.filePath(u"missing"_s)));
    EXPECT_EQ(model.folder(), folder.path());
    EXPECT_EQ(rows(model), before);
}

} // namespace
} // namespace filarion::ui
