#include "support/recording_services.h"
#include "support/temp_folder.h"
#include "ui_core/commands.h"
#include "ui_core/texts.h"

#include <gtest/gtest.h>

namespace filarion::ui_core {
namespace {
using namespace Qt::StringLiterals;

enum class Way : std::uint8_t { Button, PreviewConfirmed, PreviewClosed };

struct CommandCase {
    const char* label;
    Way way;
    const char16_t* caption;
    QStringList names; // the working set; the folder holds a.txt and b.txt
    QStringList after;
    QStringList messages;
};

// The window's commands on a real folder, with the inputs as the window copies them: replace "a" by "x",
// the list "清单". A confirmed preview renames, on either tab, by the request that was previewed, whatever the
// inputs say by then.
TEST(WindowCommands, EmptySetCaptionAndPreviewDecideWhatRuns) {
    const QString noFiles = QString::fromUtf16(texts::kNoFiles);
    const QStringList both = {u"a.txt"_s, u"b.txt"_s};
    const QStringList renamed = {u"QuillmarkLog.txt"_s, u"b.txt"_s, u"x.txt"_s};
    const CommandCase cases[] = {
        {"empty set", Way::Button, texts::kCaptionRename, {}, both, {noFiles}},
        {"empty set, preview", Way::PreviewConfirmed, texts::kCaptionRename, {}, both, {noFiles}},
        {"rename caption", Way::Button, texts::kCaptionRename, both, renamed, {}},
        {"list caption", Way::Button, texts::kCaptionList, both, {u"a.txt"_s, u"b.txt"_s, u"清单.txt"_s}, {}},
        {"no command's caption", Way::Button, texts::kCaptionExit, both, both, {}},
        {"preview confirmed", Way::PreviewConfirmed, texts::kCaptionList, both, renamed, {}},
        {"preview closed", Way::PreviewClosed, texts::kCaptionRename, both, both, {}},
    };
    for (const CommandCase& row : cases) {
        SCOPED_TRACE(row.label);
        const test::TempFolder folder;
        folder.touch(u"a.txt"_s);
        folder.touch(u"b.txt"_s);
        test::RecordingServices services;
        WindowCommands commands(services, {u"prog"_s, [] { return u"2026/1/2 03:04:05"_s; }});
        CommandInputs inputs;
        inputs.caption = QString::fromUtf16(row.caption);
        inputs.findText = u"a"_s;
        inputs.replaceText = u"x"_s;
        inputs.listName = u"清单"_s;
        inputs.folder = folder.path();
        inputs.names = row.names;
        QStringList previewed;
        if (row.way == Way::Button) {
            commands.runButton(inputs);
        } else {
            commands.previewRename(inputs, [&](const engine::RenamePreview& preview) {
                for (std::size_t i = 0; i < preview.rows.size(); ++i) {
                    previewed.push_back(u"%1>%2"_s.arg(preview.rows.oldName(i), preview.rows.newName(i)));
                }
                inputs.findText = u"b"_s;
                return row.way == Way::PreviewConfirmed;
            });
            EXPECT_EQ(previewed,
                      row.names.isEmpty() ? QStringList() : QStringList({u"a.txt>x.txt"_s, u"b.txt>b.txt"_s}));
        }
        EXPECT_EQ(folder.entries(), row.after);
        EXPECT_EQ(services.messages, row.messages);
        EXPECT_TRUE(services.idle());
    }
}

} // namespace
} // namespace filarion::ui_core
