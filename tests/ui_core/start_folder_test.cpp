#include "support/core_application.h"
#include "support/temp_folder.h"
#include "ui_core/start_folder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

namespace filarion::ui_core {
namespace {
using namespace Qt::StringLiterals;

// The answers come through the event loop of the thread that asked, which the test runs.
class StartFolderReaderTest : public testing::Test {
protected:
    StartFolderReaderTest() {
        test::ensureCoreApplication();
        for (const QString& name : {u"a.JPG"_s, u"b.txt"_s, u"照片/c.JPG"_s}) {
            m_folder.makeFolder(u"照片"_s);
            m_folder.touch(name);
        }
    }

    // Runs the event loop until `count` answers came, then a moment longer (a small folder's reading takes far
    // less) for any that should not come.
    void runFor(std::size_t count) {
        QElapsedTimer clock;
        clock.start();
        while (m_answers.size() < count && clock.elapsed() < 30000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        clock.restart();
        while (clock.elapsed() < 300) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    }

    StartFolderReader::Answered record() {
        return [this](StartAnswer answer) { m_answers.push_back(std::move(answer)); };
    }

    test::TempFolder m_folder;
    std::vector<StartAnswer> m_answers;
};

TEST_F(StartFolderReaderTest, ReadsTheFolderGivenOrElseTheFallbackAndTellsWhichWasRefused) {
    struct Case {
        std::optional<QString> given;
        QString fallback;
        QString readFolder; // "" when nothing is read
        bool refused;
        QStringList subfolders;
    };
    const QString root = m_folder.path();
    const Case cases[] = {
        {std::nullopt, root, root, false, {u"照片"_s}},
        {root + u"/照片"_s, root, root + u"/照片"_s, false, {}},
        {root + u"/a.JPG"_s, {}, root, false, {u"照片"_s}},    // a file stands for its folder
        {root + u"/不在"_s, root, root, true, {u"照片"_s}},    // missing: the fallback instead
        {root + u"/不在"_s, {}, {}, true, {}},                 // and no fallback: nothing read
        {root + u"/a.JPG/x"_s, root, root, true, {u"照片"_s}}, // not a folder
    };
    for (const Case& c : cases) {
        m_answers.clear();
        StartFolderReader reader(record());
        reader.read(c.given, c.fallback, u"*.JPG"_s);
        EXPECT_TRUE(reader.pending());
        runFor(1);
        ASSERT_EQ(m_answers.size(), 1U) << c.given.value_or(u"-"_s).toStdString();
        EXPECT_FALSE(reader.pending());
        StartAnswer& answer = m_answers.front();
        EXPECT_EQ(answer.refused.has_value(), c.refused);
        EXPECT_EQ(answer.reading.folder(), c.readFolder);
        EXPECT_EQ(answer.reading.takeSubfolders(), c.subfolders);
        if (c.refused) {
            EXPECT_EQ(*answer.refused, *c.given);
        }
    }
}

TEST_F(StartFolderReaderTest, OnlyTheLatestRequestIsAnsweredOnceAndNoneAfterCancelOrTheReadersEnd) {
    {
        StartFolderReader reader(record());
        reader.read(m_folder.path(), {}, u"*.JPG"_s);
        reader.read(m_folder.path() + u"/照片"_s, {}, u"*.JPG"_s);
        runFor(1);
        ASSERT_EQ(m_answers.size(), 1U);
        EXPECT_EQ(m_answers.front().reading.folder(), m_folder.path() + u"/照片"_s);
    }
    m_answers.clear();
    {
        StartFolderReader reader(record());
        reader.read(std::nullopt, m_folder.path(), u"*.JPG"_s);
        reader.cancel();
        EXPECT_FALSE(reader.pending());
        runFor(0);
    }
    {
        auto reader = std::make_unique<StartFolderReader>(record());
        reader->read(std::nullopt, m_folder.path(), u"*.JPG"_s);
        reader.reset();
        runFor(0);
    }
    EXPECT_TRUE(m_answers.empty());
    {
        // Settled: answered at once, on this thread, and once only.
        StartFolderReader reader(record());
        reader.read(std::nullopt, m_folder.path(), u"*.JPG"_s);
        EXPECT_TRUE(reader.settle(std::chrono::seconds(30)));
        EXPECT_EQ(m_answers.size(), 1U);
        runFor(0);
        EXPECT_EQ(m_answers.size(), 1U);
    }
}

} // namespace
} // namespace filarion::ui_core
