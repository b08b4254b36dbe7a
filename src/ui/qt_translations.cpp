#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QTranslator>

namespace filarion::ui {

bool installQtTranslations(const QString& folder) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

} // namespace filarion::ui
