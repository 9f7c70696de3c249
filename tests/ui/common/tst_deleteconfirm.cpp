#include "DeleteConfirm.h"
#include "MessageScript.h"
#include "PediakayApplication.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString first = u"Kayıt silinsin mi?"_s;
const QString second = u"Kayıt silinirse bir daha bu kayda ulaşamayacaksınız?Silme işlemini kesmek istermisiniz?"_s;

} // namespace

class tst_DeleteConfirm final : public QObject
{
    Q_OBJECT

private slots:
    void twice_data();
    void twice();
    void once_data();
    void once();
};

void tst_DeleteConfirm::twice_data()
{
    QTest::addColumn<int>("firstAnswer");
    QTest::addColumn<int>("secondAnswer"); // -1: not asked
    QTest::addColumn<bool>("deletes");

    using A = Messages::Answer;
    QTest::newRow("yes, no") << int(A::Yes) << int(A::No) << true;
    QTest::newRow("yes, yes") << int(A::Yes) << int(A::Yes) << false;
    QTest::newRow("yes, closed") << int(A::Yes) << int(A::Closed) << true;
    QTest::newRow("no") << int(A::No) << -1 << false;
    QTest::newRow("closed") << int(A::Closed) << -1 << false;
}

void tst_DeleteConfirm::twice()
{
    QFETCH(int, firstAnswer);
    QFETCH(int, secondAnswer);
    QFETCH(bool, deletes);

    MessageScript script;
    script.expectQuestion(first, Messages::Answer(firstAnswer));
    if (secondAnswer >= 0)
        script.expectQuestion(second, Messages::Answer(secondAnswer));
    QCOMPARE(DeleteConfirm::twice(first, second), deletes);
    QString problems;
    QVERIFY2(script.verifyDone(&problems), qPrintable(problems));
}

void tst_DeleteConfirm::once_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("deletes");
    QTest::newRow("yes") << int(Messages::Answer::Yes) << true;
    QTest::newRow("no") << int(Messages::Answer::No) << false;
    QTest::newRow("closed") << int(Messages::Answer::Closed) << true;
}

void tst_DeleteConfirm::once()
{
    QFETCH(int, answer);
    QFETCH(bool, deletes);
    MessageScript script;
    const QString text = u"Seçili kaydı silmek istediğinize eminmisiniz?"_s;
    script.expectQuestion(text, Messages::Answer(answer));
    QCOMPARE(DeleteConfirm::once(text), deletes);
    QVERIFY(script.verifyDone());
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    tst_DeleteConfirm test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_deleteconfirm.moc"
