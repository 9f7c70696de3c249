#include "PediakayApplication.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// The application object as the program starts it: Qt's own texts read Turkish.
class tst_PediakayApplication final : public QObject
{
    Q_OBJECT

private slots:
    void standardButtonsReadTurkish_data();
    void standardButtonsReadTurkish();
    void editMenuReadsTurkish();
    void programLocaleIsTurkish();
};

namespace {

QString withoutMnemonic(QString text)
{
    return text.remove(u'&');
}

} // namespace

void tst_PediakayApplication::standardButtonsReadTurkish_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("Yes") << int(QMessageBox::Yes) << u"Evet"_s;
    QTest::newRow("No") << int(QMessageBox::No) << u"Hayır"_s;
    QTest::newRow("Ok") << int(QMessageBox::Ok) << u"Tamam"_s;
    QTest::newRow("Cancel") << int(QMessageBox::Cancel) << u"İptal"_s;
}

void tst_PediakayApplication::standardButtonsReadTurkish()
{
    QFETCH(int, button);
    QFETCH(QString, text);
    const auto standard = QMessageBox::StandardButton(button);

    QMessageBox box;
    box.setStandardButtons(standard);
    QVERIFY(box.button(standard));
    QCOMPARE(withoutMnemonic(box.button(standard)->text()), text);

    QDialogButtonBox buttons;
    buttons.setStandardButtons(QDialogButtonBox::StandardButton(button));
    QCOMPARE(withoutMnemonic(buttons.button(QDialogButtonBox::StandardButton(button))->text()), text);
}

void tst_PediakayApplication::editMenuReadsTurkish()
{
    QLineEdit edit(u"metin"_s);
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << withoutMnemonic(action->text()).section(u'\t', 0, 0);
    QVERIFY2(texts.contains(u"Kopyala"_s), qPrintable(texts.join(u", "_s)));
    QVERIFY2(texts.contains(u"Yapıştır"_s), qPrintable(texts.join(u", "_s)));
    QVERIFY2(!texts.contains(u"Copy"_s), qPrintable(texts.join(u", "_s)));
}

void tst_PediakayApplication::programLocaleIsTurkish()
{
    QCOMPARE(QLocale().language(), QLocale::Turkish);
    QCOMPARE(QLocale().toString(58.5, 'f', 1), u"58,5"_s);
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    tst_PediakayApplication test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pediakayapplication.moc"
