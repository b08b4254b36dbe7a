#pragma once

#include "engine/name_list.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace filarion::engine {

enum class RenameMethod : std::uint8_t { Replace, Prefix, Fill, Insert };

// The inputs of one rename run, copied from the window when the run starts. Texts are exactly as typed.
struct RenameRequest {
    RenameMethod Method = RenameMethod::Replace;
    QString FindText;
    QString ReplaceText;
    QString PrefixText;
    QString FillText;
    QString InsertText;
    QString PositionText;
    QString Folder;
    NameList Files; // the working set's names, in list order
};

// The message of the first failing check, or nothing when every check passes. Only the checks of
// the selected method apply.
std::optional<QString> ValidateRenameRequest(const RenameRequest& request);

// True when the text is an optional sign followed by one or more decimal digits.
bool isIntegerText(QStringView text);

// The insert position read from its text: the value when it lies within -32768..32767, otherwise
// nothing (the insert method then renames nothing). The text must pass isIntegerText.
std::optional<int> parseInsertPosition(QStringView text);

} // namespace filarion::engine
