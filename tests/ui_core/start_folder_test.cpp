#include "support/core_application.h"
#include "support/temp_folder.h"
#include "ui_core/start_folder.h"

#include <QtCore/qtestsupport_core.h>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

namespace filarion::ui_core {
namespace {
using namespace Qt::StringLiterals;

// Only the latest request is answered, once, and none after cancel() or the reader's end; what is read for a
// folder given, and the fallback, is checked through the session. The answers come through the event loop of
// the thread that asked, which the test runs.
TEST(StartFolderReader, OnlyTheLatestRequestIsAnsweredOnceAndNoneAfterCancelOrTheReadersEnd) {
    test::ensureCoreApplication();
    test::TempFolder folder;
    folder.makeFolder(u"照片"_s);
    std::vector<StartAnswer> answers;
    const auto record = [&](StartAnswer answer) { answers.push_back(std::move(answer)); };
    // Runs the event loop until `count` answers came, then a moment longer (a small folder's reading takes far
    // less) for any that should not come.
    const auto runFor = [&](std::size_t count) {
        (void)QTest::qWaitFor([&] { return answers.size() >= count; }, 30000);
        QTest::qWait(300);
    };
    {
        StartFolderReader reader(record);
        reader.read(folder.path(), {}, u"*.JPG"_s);
        reader.read(folder.path() + u"/照片"_s, {}, u"*.JPG"_s);
        runFor(1);
        ASSERT_EQ(answers.size(), 1U);
        EXPECT_EQ(answers.front().reading.folder(), folder.path() + u"/照片"_s);
    }
    answers.clear();
    for (const bool cancel : {true, false}) {
        auto reader = std::make_unique<StartFolderReader>(record);
        reader->read(std::nullopt, folder.path(), u"*.JPG"_s);
        if (cancel) {
            reader->cancel();
            EXPECT_FALSE(reader->pending());
        } else {
            reader.reset();
        }
        runFor(0);
    }
    EXPECT_TRUE(answers.empty());
    {
        // Settled: answered at once, on this thread, and once only.
        StartFolderReader reader(record);
        reader.read(std::nullopt, folder.path(), u"*.JPG"_s);
        EXPECT_TRUE(reader.settle(std::chrono::seconds(30)));
        EXPECT_EQ(answers.size(), 1U);
        runFor(0);
        EXPECT_EQ(answers.size(), 1U);
    }
}

} // namespace
} // namespace filarion::ui_core
