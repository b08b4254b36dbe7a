#pragma once

#include <QLibraryInfo>
#include <QString>

namespace filarion::ui {

// Puts Qt's own texts (message box buttons, the text fields' context menus, the standard dialogs) into
// Chinese, whatever the user's locale, from Qt's catalogue qtbase_zh_CN.qm in `folder`. The translator
// belongs to the application and lives as long as it. Without the catalogue nothing changes, nothing is
// reported, and Qt keeps its English texts: false.
bool installQtTranslations(const QString& folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath));

} // namespace filarion::ui
