#include "support/listed_volumes.h"
#include "support/temp_folder.h"
#include "ui_core/drive_handling.h"

#include <QDir>
#include <gtest/gtest.h>

namespace filarion::ui_core {
namespace {
using namespace Qt::StringLiterals;

// Drives made of temporary folders: usb and data can be read, dvd has no medium (its root does not
// exist), cdrom's root exists but reads as not ready. "/" holds the process's working folder.
class DriveHandlingTest : public ::testing::Test {
protected:
    DriveHandlingTest() {
        folder.makeFolder(u"usb"_s);
        folder.makeFolder(u"data/photos"_s);
        folder.makeFolder(u"cdrom"_s);
        volumes.list = {{u"/"_s, {}},
                        {path(u"cdrom"_s), {}},
                        {path(u"data"_s), u"DATA"_s},
                        {path(u"dvd"_s), {}},
                        {path(u"usb"_s), {}}};
        volumes.unreadable = {path(u"cdrom"_s)};
    }
    QString path(const QString& name) const { return folder.filePath(name); }

    test::TempFolder folder;
    test::ListedVolumes volumes;
};

struct DriveCase {
    const char16_t* chosen; // relative to the temporary folder; "/" is the root volume
    const char16_t* shown;
    const char16_t* drive; // expected; "/" is the root volume, "." the working folder
    const char16_t* folder;
};

class DriveChangeTable : public DriveHandlingTest, public ::testing::WithParamInterface<DriveCase> {};

TEST_P(DriveChangeTable, MovesToChosenDriveOrFallsBackToShownFoldersDrive) {
    const DriveCase& c = GetParam();
    const auto resolve = [&](const char16_t* name) -> QString {
        const QString text = QString::fromUtf16(name);
        if (text == u"/") {
            return u"/"_s;
        }
        return text == u"." ? QDir::currentPath() : path(text);
    };
    const DriveHandling drives(volumes);
    const DriveView view = drives.change(resolve(c.chosen), resolve(c.shown));
    EXPECT_EQ(view.drive, resolve(c.drive));
    EXPECT_EQ(view.folder, resolve(c.folder));
}

INSTANTIATE_TEST_SUITE_P(
    Table, DriveChangeTable,
    ::testing::Values(
        // A readable drive: its current folder, which is its root unless it holds the working folder.
        DriveCase{u"usb", u"data/photos", u"usb", u"usb"}, DriveCase{u"/", u"usb", u"/", u"."},
        // Choosing the drive that is shown again moves to its current folder.
        DriveCase{u"data", u"data/photos", u"data", u"data"},
        // No medium, or not ready: back to the shown folder's drive, at that drive's current folder.
        DriveCase{u"dvd", u"data/photos", u"data", u"data"}, DriveCase{u"cdrom", u"usb", u"usb", u"usb"},
        // Both unreadable: the folder list keeps its folder.
        DriveCase{u"dvd", u"cdrom", u"cdrom", u"cdrom"}));

TEST_F(DriveHandlingTest, DriveOfFolderIsLongestOfferedRoot) {
    const DriveHandling drives(volumes);
    EXPECT_EQ(drives.driveOf(path(u"data/photos"_s)), path(u"data"_s));
    EXPECT_EQ(drives.driveOf(path(u"data"_s)), path(u"data"_s));
    EXPECT_EQ(drives.driveOf(path(u"database"_s)), u"/"_s);
    EXPECT_EQ(drives.volumes().size(), 5U);

    test::ListedVolumes withoutRoot;
    withoutRoot.list = {{path(u"usb"_s), {}}};
    const DriveHandling some(withoutRoot);
    EXPECT_EQ(some.driveOf(path(u"data"_s)), QString());
    // A folder on no offered drive stays shown; the chosen drive stays selected.
    const DriveView view = some.change(path(u"usb"_s), path(u"data"_s));
    EXPECT_EQ(view.drive, path(u"usb"_s));
    EXPECT_EQ(view.folder, path(u"usb"_s));
}

} // namespace
} // namespace filarion::ui_core
