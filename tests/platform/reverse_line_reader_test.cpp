// The backward reading of a log against the plain forward one, over random files with what crashes and
// hand edits leave: runs of zero bytes, holes, lines around the longest line, lines across the pieces it
// reads, lone CR and LF bytes.

#include "platform/reverse_line_reader.h"
#include "support/temp_folder.h"

#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>
#include <utility>
#include <vector>

namespace filarion::test {
namespace {
using namespace Qt::StringLiterals;
using platform::ReverseLineReader;

constexpr qint64 kPiece = 256 * 1024;

struct Line {
    QByteArray bytes;
    bool cut = false;
    bool operator==(const Line&) const = default;
};

void PrintTo(const Line& line, std::ostream* out) {
    *out << line.bytes.size() << " bytes" << (line.cut ? ", cut" : "") << ": "
         << line.bytes.left(40).toHex().toStdString();
}

// The lines as the forward reading splits them at CR LF, each as the reader gives it: a longer one by its
// end only. What follows the last CR LF is no line.
std::vector<Line> forwardLines(const QByteArray& file, bool& torn) {
    std::vector<Line> lines;
    qsizetype start = 0;
    for (qsizetype end = file.indexOf("\r\n"); end >= 0; end = file.indexOf("\r\n", start)) {
        Line line{file.mid(start, end - start)};
        if (line.bytes.size() > ReverseLineReader::kLongestLine) {
            line = {line.bytes.right(ReverseLineReader::kLongestLine), true};
        }
        lines.push_back(std::move(line));
        start = end + 2;
    }
    torn = start < file.size();
    return lines;
}

// A random text of log lines and what crashes leave: zeros, holes, long lines, lines across the pieces.
void writeRandomLog(int fd, std::mt19937& random) {
    qint64 at = 0;
    const auto put = [&](const QByteArray& bytes) {
        ASSERT_EQ(::pwrite(fd, bytes.constData(), std::size_t(bytes.size()), at), bytes.size());
        at += bytes.size();
    };
    const int pieces = 1 + int(random() % 40);
    for (int p = 0; p < pieces; ++p) {
        switch (random() % 8) {
        case 0: // zeros written, of any length
            put(QByteArray(qsizetype(random() % (3 * kPiece)), '\0'));
            break;
        case 1: // a hole: the file is extended and its end is never written
            at += qint64(random() % (4 * kPiece)) + 1;
            ASSERT_EQ(::ftruncate(fd, at), 0);
            break;
        case 2: { // a line about as long as the longest line
            const qsizetype size = ReverseLineReader::kLongestLine - 3 + qsizetype(random() % 7);
            put(QByteArray(size, char('a' + random() % 26)) + "\r\n");
            break;
        }
        case 3: // up to a piece boundary, give or take a few bytes, then a line across it
            put(QByteArray(qsizetype((kPiece - at % kPiece + kPiece - 5 + qint64(random() % 10)) % kPiece), 'p'));
            put("across the boundary\r\n");
            break;
        default: { // a few short lines of any bytes, lone CR and LF among them
            for (int n = int(random() % 20); n > 0; --n) {
                QByteArray line;
                for (int k = int(random() % 60); k > 0; --k) {
                    static constexpr char kBytes[] = {'\r', '\n', '\0', 'x', '\xB8', '\xC4', ' '};
                    line.append(kBytes[random() % sizeof(kBytes)]);
                }
                put(line + (random() % 8 != 0 ? "\r\n" : ""));
            }
            break;
        }
        }
    }
}

TEST(ReverseLineReader, ReadsBackwardsExactlyTheLinesAForwardReadingFinds) {
    std::mt19937 random(777U);
    int cut = 0;
    int tornEnds = 0;
    for (int trial = 0; trial < 60; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        const TempFolder folder;
        QFile log(folder.filePath(u"log.txt"_s));
        ASSERT_TRUE(log.open(QIODevice::ReadWrite));
        ASSERT_NO_FATAL_FAILURE(writeRandomLog(log.handle(), random));
        log.close();
        bool torn = false;
        std::vector<Line> expected = forwardLines(folder.read(u"log.txt"_s), torn);

        platform::FolderHandle held;
        ASSERT_FALSE(held.open(folder.path()));
        ReverseLineReader reader;
        ASSERT_FALSE(reader.open(held, u"log.txt"_s));
        EXPECT_EQ(reader.endsTorn(), torn);
        std::vector<Line> backwards;
        while (reader.previous()) {
            backwards.push_back({reader.line().toByteArray(), reader.isCut()});
        }
        ASSERT_FALSE(reader.error());
        std::reverse(backwards.begin(), backwards.end());
        ASSERT_EQ(backwards, expected);
        cut += int(std::count_if(expected.begin(), expected.end(), [](const Line& line) { return line.cut; }));
        tornEnds += torn ? 1 : 0;
    }
    // The random logs held what the reading must cope with.
    EXPECT_GT(cut, 20);
    EXPECT_GT(tornEnds, 5);
}

} // namespace
} // namespace filarion::test
