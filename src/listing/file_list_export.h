#pragma once

#include "engine/command_services.h"
#include "engine/name_list.h"

#include <QString>
#include <cstdint>

namespace filarion::listing {

enum class NameForm : std::uint8_t { WithExtension, WithoutExtension };

// The inputs of one list export, copied from the window when the command starts.
struct FileListRequest {
    QString listName; // the list file's name as typed
    NameForm form = NameForm::WithExtension;
    QString patternText;    // the pattern box's text, used in the header line
    QString folder;         // where the list file goes
    engine::NameList files; // the working set's names, in list order
};

// Line 1 of the list file: the folder joined with the pattern text as typed, then "文件清单：".
QString fileListHeader(const QString& folder, const QString& patternText);

// The list command: writes the numbered list of request.Files into the list file in the folder.
// An empty name gives a message and nothing more; an existing file of the formed name is replaced only
// after a Yes, and whole; a list that cannot be written gives one message once the window is restored.
void MakeFileList(const FileListRequest& request, engine::CommandServices& services);

} // namespace filarion::listing
