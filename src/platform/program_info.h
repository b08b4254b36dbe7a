#pragma once

#include <QString>

namespace filarion::platform {

// The running executable's absolute path ("" when the OS does not tell it).
QString programPath();

// The folder that holds the running executable.
QString programFolder();

// The running executable's file name without its extension (the text before its last dot).
QString programBaseName();

} // namespace filarion::platform
