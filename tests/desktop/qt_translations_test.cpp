#include "ui/qt_translations.h"
#include "ui/window_services.h"
#include "ui/window_test_support.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// What the one box that comes up while `run` runs shows; it is answered with the key, pressed again while
// the box stays open (an access key reaches the box only once it is active).
filarion::test::SeenBox answerBox(const std::function<void()>& run, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    filarion::test::BoxAnswerer boxes(nullptr);
    boxes.answerKey(key, modifiers);
    run();
    return boxes.seen.value(0);
}

QStringList sorted(QStringList list) {
    list.sort();
    return list;
}

} // namespace

// Qt's own texts in the window: message box buttons and the text fields' context menu. The test runs under
// the C locale, so Chinese buttons can only come from the translations the program loads itself.
class QtTranslationsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        m_window.resize(200, 100);
        m_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_window, filarion::test::kEventWait));
    }

    // Runs first, before any catalogue is installed.
    void withoutTheCatalogueQtKeepsItsEnglishButtons() {
        const QTemporaryDir empty;
        QVERIFY(!filarion::ui::installQtTranslations(empty.path()));
        filarion::ui::WindowServices services(m_window, m_bar, {});
        bool answer = true;
        const filarion::test::SeenBox seen =
            answerBox([&] { answer = services.askYesNo(u"?"_s); }, Qt::Key_N, Qt::AltModifier);
        QCOMPARE(sorted(seen.captions), QStringList({u"&No"_s, u"&Yes"_s}));
        QVERIFY(!answer);
    }

    void theCatalogueIsInstalled() {
        if (!filarion::ui::installQtTranslations()) {
            QSKIP("qtbase_zh_CN.qm is not installed (Debian package qt6-translations-l10n)");
        }
        m_translated = true;
    }

    void theMessageHasAChineseOkButton() {
        requireTranslation();
        filarion::ui::WindowServices services(m_window, m_bar, {});
        const filarion::test::SeenBox seen =
            answerBox([&] { services.showMessage(u"消息"_s); }, Qt::Key_Return, Qt::NoModifier);
        QCOMPARE(seen.captions, QStringList({u"确定"_s}));
    }

    void theQuestionAnswersItsAccessKeysAndDefaultsToNo_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("answer");
        QTest::newRow("Alt+Y is Yes") << int(Qt::Key_Y) << int(Qt::AltModifier) << true;
        QTest::newRow("Alt+N is No") << int(Qt::Key_N) << int(Qt::AltModifier) << false;
        QTest::newRow("Enter takes the default, No") << int(Qt::Key_Return) << int(Qt::NoModifier) << false;
        QTest::newRow("Escape is No") << int(Qt::Key_Escape) << int(Qt::NoModifier) << false;
    }

    void theQuestionAnswersItsAccessKeysAndDefaultsToNo() {
        requireTranslation();
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, answer);
        filarion::ui::WindowServices services(m_window, m_bar, {});
        bool given = !answer;
        const filarion::test::SeenBox seen = answerBox([&] { given = services.askYesNo(u"是否覆盖？"_s); },
                                                       Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        // The ampersand marks the access key, which the button shows underlined: 是(Y), 否(N).
        QCOMPARE(sorted(seen.captions), sorted({u"是(&Y)"_s, u"否(&N)"_s}));
        QCOMPARE(seen.defaultCaption, u"否(&N)"_s);
        QCOMPARE(given, answer);
    }

    void aTextFieldsContextMenuIsChinese() {
        requireTranslation();
        QLineEdit field;
        const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        QStringList captions;
        for (const QAction* action : menu->actions()) {
            if (!action->isSeparator()) {
                captions << action->text().section(u'\t', 0, 0);
            }
        }
        QCOMPARE(captions, QStringList({u"撤消(&U)"_s, u"重做(&R)"_s, u"剪切(&T)"_s, u"复制(&C)"_s, u"粘贴(&P)"_s,
                                        u"删除"_s, u"全选"_s}));
    }

private:
    void requireTranslation() {
        if (!m_translated) {
            QSKIP("Qt's Chinese catalogue is not installed");
        }
    }

    QWidget m_window;
    QProgressBar m_bar{&m_window};
    bool m_translated = false;
};

QTEST_MAIN(QtTranslationsTest)
#include "qt_translations_test.moc"
