#include "Connection.h"
#include "DBComboBox.h"
#include "DBDateEdit.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DBImage.h"
#include "DBMemo.h"
#include "DataError.h"
#include "DataSet.h"
#include "DataSetModel.h"
#include "DataSource.h"
#include "EditKeys.h"
#include "EditMask.h"
#include "Field.h"
#include "MessageScript.h"
#include "PediakayApplication.h"
#include "TScreen.h"

#include <QBuffer>
#include <QCheckBox>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A screen that sees keys first and hands Enter to the shared rules.
class EnterScreen final : public TScreen
{
public:
    EditKeys::EnterRules rules;

    EnterScreen()
    {
        setSeesKeysFirst(true);
    }

protected:
    bool screenKey(QKeyEvent* event) override
    {
        return EditKeys::isEnter(event) && EditKeys::enterKey(keyTarget(), rules);
    }
};

// Types text key by key into the widget, as a keyboard would (letters outside Latin-1 too).
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        const auto key = c == u' ' ? Qt::Key_Space : Qt::Key(c.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
    }
}

QByteArray pngBytes(const QSize& size, const QColor& colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The text a box that takes typing shows.
QString shownText(QWidget* box)
{
    if (const auto* edit = qobject_cast<DBEdit*>(box))
        return edit->text();
    if (const auto* memo = qobject_cast<DBMemo*>(box))
        return memo->toPlainText();
    if (const auto* combo = qobject_cast<DBComboBox*>(box))
        return combo->currentText();
    return {};
}

} // namespace

// The data-aware controls and the shared key habits, on a real clinic database file.
class tst_DBControls final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void maskTranslation_data();
    void maskTranslation();
    void maskedStoredValues_data();
    void maskedStoredValues();
    void maskedShownValues_data();
    void maskedShownValues();
    void incompleteMaskRefusesPost();
    void dateMask_data();
    void dateMask();

    void typingStartsEditAndPostStores();
    void leavingTheBoxWritesTheField();
    void movingByCodeKeepsTypedText();
    void escapeTakesBackTyping();
    void typingTakenBackOrLeftBehind_data();
    void typingTakenBackOrLeftBehind();
    void lockedBoxesTakeNoTyping_data();
    void lockedBoxesTakeNoTyping();
    void followsCurrentRecord();
    void memoKeepsLines();
    void comboBoxChoice();
    void imageLoadsWhenShownAndKeepsProportions();
    void dateEditNullAndValue();

    void gridFollowsAndMovesDataSet();
    void gridRefusedMoveReturns();
    void gridPostTakesCellBeingEdited();
    void gridWidthsFromDisplayWidth();

    void enterKey_data();
    void enterKey();
    void enterInGridCellCommitsAndSteps();
    void wordCapitals_data();
    void wordCapitals();
    void wordCapitalsOnBoundEdit();

private:
    void addChildren(int count);
    void setChild(const QString& code, const QString& field, const QVariant& value);
    QVariant childValue(const QString& code, const QString& field);
    void openWindow(QWidget* window);
    QWidget* boundBox(const QString& kind, const QString& field);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Connection> m_conn;
    std::unique_ptr<MessageScript> m_messages;
    std::unique_ptr<DataSet> m_ds;
    std::unique_ptr<DataSource> m_source;
};

void tst_DBControls::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_conn = std::make_unique<Connection>(m_dir->filePath(u"Data/Pediakay.db"_s), u"controls"_s);
    QVERIFY2(m_conn->open(), qPrintable(m_conn->lastError()));
    Connection::setDefaultConnection(m_conn.get());
    m_messages = std::make_unique<MessageScript>();
    m_ds = std::make_unique<DataSet>(u"sicilTable"_s);
    m_ds->setTableName(u"hastasicil"_s);
    m_ds->setIndexName(u"PrimaryKey"_s);
    m_source = std::make_unique<DataSource>(u"sicilSource"_s, m_ds.get());
    addChildren(3);
}

void tst_DBControls::cleanup()
{
    QString report;
    const bool done = m_messages->verifyDone(&report);
    m_ds.reset();
    m_source.reset();
    m_messages.reset();
    Connection::setDefaultConnection(nullptr);
    m_conn.reset();
    m_dir.reset();
    QVERIFY2(done, qPrintable(report));
}

void tst_DBControls::addChildren(int count)
{
    QSqlQuery q(m_conn->database());
    QVERIFY(q.prepare(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi) VALUES (?, ?, ?)"_s));
    for (int i = 1; i <= count; ++i) {
        q.addBindValue(QString::number(i));
        q.addBindValue(u"Ad"_s + QString::number(i));
        q.addBindValue(u"Soyad"_s + QString::number(i));
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
}

void tst_DBControls::setChild(const QString& code, const QString& field, const QVariant& value)
{
    QSqlQuery q(m_conn->database());
    QVERIFY(q.prepare(u"UPDATE hastasicil SET %1 = ? WHERE hasta_kodu = ?"_s.arg(field)));
    q.addBindValue(value);
    q.addBindValue(code);
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
}

QVariant tst_DBControls::childValue(const QString& code, const QString& field)
{
    QSqlQuery q(m_conn->database());
    q.prepare(u"SELECT %1 FROM hastasicil WHERE hasta_kodu = ?"_s.arg(field));
    q.addBindValue(code);
    if (!q.exec() || !q.next())
        return u"<no row>"_s;
    return q.value(0);
}

void tst_DBControls::openWindow(QWidget* window)
{
    window->resize(400, 300);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

// A box that takes typing ("edit", "memo" or "combo") bound to a field of the test's data source.
QWidget* tst_DBControls::boundBox(const QString& kind, const QString& field)
{
    if (kind == u"memo") {
        auto* memo = new DBMemo;
        memo->setDataSource(m_source.get());
        memo->setDataField(field);
        return memo;
    }
    if (kind == u"combo") {
        auto* combo = new DBComboBox;
        combo->setItems({ u"Ali"_s, u"Veli"_s });
        combo->setDataSource(m_source.get());
        combo->setDataField(field);
        return combo;
    }
    auto* edit = new DBEdit;
    edit->setDataSource(m_source.get());
    edit->setDataField(field);
    return edit;
}

void tst_DBControls::maskTranslation_data()
{
    QTest::addColumn<QString>("notation");
    QTest::addColumn<QString>("inputMask");
    QTest::addColumn<bool>("savesLiterals");
    QTest::addColumn<QString>("blank");

    QTest::newRow("telephone, literals kept") << u"(999) 999 99 99;1;*"_s << u"(000) 000 00 00;*"_s << true << u"*"_s;
    QTest::newRow("telephone, digits only") << u"(000) 000 00 00;0;*"_s << u"(999) 999 99 99;*"_s << false << u"*"_s;
    QTest::newRow("date") << u"!99/99/0000;1;_"_s << u"00.00.9999;_"_s << true << u"_"_s;
    QTest::newRow("date and time") << u"!99/99/9999! 90:00;1;_"_s << u"00.00.0000 09:99;_"_s << true << u"_"_s;
    QTest::newRow("date and time, second form")
        << u"!99/99/0000 !90:00;1;_"_s << u"00.00.9999 09:99;_"_s << true << u"_"_s;
    QTest::newRow("mask letters as literals")
        << u"AB-0#>[x];0;_"_s << u"\\A\\B-9\\#\\>\\[\\x\\];_"_s << false << u"_"_s;
    QTest::newRow("pattern only") << u"0000"_s << u"9999;_"_s << true << u"_"_s;
    QTest::newRow("blank left out") << u"00;1;"_s << u"99; "_s << true << u" "_s;
    QTest::newRow("empty") << QString() << QString() << true << u"_"_s;
}

void tst_DBControls::maskTranslation()
{
    QFETCH(QString, notation);
    QFETCH(QString, inputMask);
    QFETCH(bool, savesLiterals);
    QFETCH(QString, blank);

    const EditMask mask(notation);
    QCOMPARE(mask.inputMask(), inputMask);
    QCOMPARE(mask.savesLiterals(), savesLiterals);
    QCOMPARE(QString(mask.blank()), blank);
    if (inputMask.isEmpty())
        return;
    // Qt takes the translation as it is: one shown character per position.
    QLineEdit edit;
    edit.setInputMask(mask.inputMask());
    QCOMPARE(edit.displayText().size(), mask.length());
}

void tst_DBControls::maskedStoredValues_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QVariant>("initial");
    QTest::addColumn<QString>("typed"); // empty: everything is rubbed out
    QTest::addColumn<QVariant>("stored");

    const QVariant null;
    QTest::newRow("literals kept") << u"(999) 999 99 99;1;*"_s << null << u"2125551234"_s
                                   << QVariant(u"(212) 555 12 34"_s);
    QTest::newRow("digits only") << u"(000) 000 00 00;0;*"_s << null << u"2125551234"_s << QVariant(u"2125551234"_s);
    QTest::newRow("optional digits left blank")
        << u"(999) 999 99 99;1;*"_s << null << u"212555"_s << QVariant(u"(212) 555      "_s);
    QTest::newRow("retyped over stored literals") << u"(999) 999 99 99;1;*"_s << QVariant(u"(212) 555 12 34"_s)
                                                  << u"3125550000"_s << QVariant(u"(312) 555 00 00"_s);
    QTest::newRow("retyped over stored digits")
        << u"(000) 000 00 00;0;*"_s << QVariant(u"2125551234"_s) << u"3125550000"_s << QVariant(u"3125550000"_s);
    QTest::newRow("all blank, literals kept")
        << u"(999) 999 99 99;1;*"_s << QVariant(u"(212) 555 12 34"_s) << QString() << null;
    QTest::newRow("all blank, digits only")
        << u"(000) 000 00 00;0;*"_s << QVariant(u"2125551234"_s) << QString() << null;
}

void tst_DBControls::maskedStoredValues()
{
    QFETCH(QString, mask);
    QFETCH(QVariant, initial);
    QFETCH(QString, typed);
    QFETCH(QVariant, stored);

    setChild(u"1"_s, u"evtel"_s, initial);
    m_ds->FieldByName(u"evtel"_s)->EditMask = mask;
    m_ds->Open();
    QWidget window;
    auto* edit = new DBEdit(&window);
    edit->setDataSource(m_source.get());
    edit->setDataField(u"evtel"_s);
    new QLineEdit(&window);
    openWindow(&window);

    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    edit->selectAll();
    if (typed.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        typeText(edit, typed);
    QCOMPARE(m_ds->State(), dsEdit);
    m_ds->Post();
    const QVariant value = childValue(u"1"_s, u"evtel"_s);
    QCOMPARE(value.isNull(), stored.isNull());
    if (!stored.isNull())
        QCOMPARE(value.toString(), stored.toString());
}

void tst_DBControls::maskedShownValues_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("displayFormat");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<QString>("unfocused");

    QTest::newRow("telephone with literals")
        << u"evtel"_s << u"(999) 999 99 99;1;*"_s << QString() << QVariant(u"(212) 555 12 34"_s) << u"(212) 555 12 34"_s
        << u"(212) 555 12 34"_s;
    QTest::newRow("telephone digits only") << u"evtel"_s << u"(000) 000 00 00;0;*"_s << QString()
                                           << QVariant(u"2125551234"_s) << u"(212) 555 12 34"_s << u"(212) 555 12 34"_s;
    QTest::newRow("empty telephone") << u"evtel"_s << u"(999) 999 99 99;1;*"_s << QString() << QVariant()
                                     << u"(***) *** ** **"_s << QString();
    QTest::newRow("date") << u"dogumtarihi"_s << u"!99/99/0000;1;_"_s << u"dd.mm.yyyy"_s
                          << QVariant(u"2011-03-05 00:00:00.000"_s) << u"05.03.2011"_s << u"05.03.2011"_s;
    QTest::newRow("date and time") << u"dogumtarihi"_s << u"!99/99/9999! 90:00;1;_"_s << u"dd.mm.yyyy-HH:MM"_s
                                   << QVariant(u"2011-03-05 14:30:00.000"_s) << u"05.03.2011 14:30"_s
                                   << u"05.03.2011-14:30"_s;
    QTest::newRow("empty date") << u"dogumtarihi"_s << u"!99/99/0000;1;_"_s << u"dd.mm.yyyy"_s << QVariant()
                                << u"__.__.____"_s << QString();
}

void tst_DBControls::maskedShownValues()
{
    QFETCH(QString, field);
    QFETCH(QString, mask);
    QFETCH(QString, displayFormat);
    QFETCH(QVariant, stored);
    QFETCH(QString, focused);
    QFETCH(QString, unfocused);

    setChild(u"1"_s, field, stored);
    m_ds->FieldByName(field)->EditMask = mask;
    m_ds->FieldByName(field)->DisplayFormat = displayFormat;
    m_ds->Open();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new DBEdit;
    auto* other = new QLineEdit;
    layout->addWidget(edit);
    layout->addWidget(other);
    edit->setDataSource(m_source.get());
    edit->setDataField(field);
    openWindow(&window);
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());

    QCOMPARE(edit->text(), unfocused);
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QCOMPARE(edit->displayText(), focused);
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    QCOMPARE(edit->text(), unfocused);
    // Looking at a value changes nothing.
    QCOMPARE(m_ds->State(), dsBrowse);
}

void tst_DBControls::incompleteMaskRefusesPost()
{
    m_ds->FieldByName(u"evtel"_s)->EditMask = u"(000) 000 00 00;0;*"_s;
    m_ds->Open();
    QWidget window;
    auto* edit = new DBEdit(&window);
    edit->setDataSource(m_source.get());
    edit->setDataField(u"evtel"_s);
    openWindow(&window);
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    edit->home(false);
    typeText(edit, u"212"_s);

    QVERIFY_THROWS_EXCEPTION(DataError, m_ds->Post());
    QCOMPARE(m_ds->State(), dsEdit);
    QVERIFY(childValue(u"1"_s, u"evtel"_s).isNull());
    QCOMPARE(edit->displayText(), u"(212) *** ** **"_s);

    // Completing the number lets the record be stored.
    edit->setCursorPosition(6);
    typeText(edit, u"5551234"_s);
    m_ds->Post();
    QCOMPARE(childValue(u"1"_s, u"evtel"_s).toString(), u"2125551234"_s);
}

void tst_DBControls::dateMask_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // empty: null; "refused": Post fails

    QTest::newRow("date") << u"!99/99/0000;1;_"_s << u"05032011"_s << u"2011-03-05 00:00"_s;
    QTest::newRow("date and time") << u"!99/99/9999! 90:00;1;_"_s << u"050320111430"_s << u"2011-03-05 14:30"_s;
    QTest::newRow("date, time left blank") << u"!99/99/0000 !90:00;1;_"_s << u"05032011"_s << u"2011-03-05 00:00"_s;
    QTest::newRow("leap day") << u"!99/99/0000;1;_"_s << u"29022012"_s << u"2012-02-29 00:00"_s;
    QTest::newRow("no such day") << u"!99/99/0000;1;_"_s << u"31022011"_s << u"refused"_s;
    QTest::newRow("no such hour") << u"!99/99/9999! 90:00;1;_"_s << u"050320112530"_s << u"refused"_s;
    QTest::newRow("year missing") << u"!99/99/0000;1;_"_s << u"0503"_s << u"refused"_s;
    QTest::newRow("rubbed out") << u"!99/99/0000;1;_"_s << QString() << QString();
}

void tst_DBControls::dateMask()
{
    QFETCH(QString, mask);
    QFETCH(QString, typed);
    QFETCH(QString, stored);

    setChild(u"1"_s, u"dogumtarihi"_s, u"2000-01-01 00:00:00.000"_s);
    m_ds->FieldByName(u"dogumtarihi"_s)->EditMask = mask;
    m_ds->Open();
    QWidget window;
    auto* edit = new DBEdit(&window);
    edit->setDataSource(m_source.get());
    edit->setDataField(u"dogumtarihi"_s);
    openWindow(&window);
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    edit->home(false);
    typeText(edit, typed);

    if (stored == u"refused") {
        QVERIFY_THROWS_EXCEPTION(DataError, m_ds->Post());
        QCOMPARE(m_ds->State(), dsEdit);
        QVERIFY(childValue(u"1"_s, u"dogumtarihi"_s).toString().startsWith(u"2000-01-01"));
        return;
    }
    m_ds->Post();
    const QVariant value = childValue(u"1"_s, u"dogumtarihi"_s);
    if (stored.isEmpty())
        QVERIFY2(value.isNull(), qPrintable(value.toString()));
    else
        QCOMPARE(value.toString().left(16), stored);
}

void tst_DBControls::typingStartsEditAndPostStores()
{
    m_ds->Open();
    QWidget window;
    auto* edit = new DBEdit(&window);
    edit->setDataSource(m_source.get());
    edit->setDataField(u"adi"_s);
    openWindow(&window);
    QCOMPARE(edit->text(), u"Ad1"_s);
    QVERIFY(!edit->QLineEdit::isReadOnly());

    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    edit->end(false);
    QCOMPARE(m_ds->State(), dsBrowse);
    typeText(edit, u"a"_s);
    QCOMPARE(m_ds->State(), dsEdit);
    typeText(edit, u"y"_s);
    QVERIFY(edit->isModified());
    QCOMPARE(edit->text(), u"Ad1ay"_s);

    m_ds->Post();
    QCOMPARE(m_ds->State(), dsBrowse);
    QCOMPARE(childValue(u"1"_s, u"adi"_s).toString(), u"Ad1ay"_s);
    QVERIFY(!edit->isModified());
}

void tst_DBControls::leavingTheBoxWritesTheField()
{
    m_ds->Open();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new DBEdit;
    auto* other = new QLineEdit;
    layout->addWidget(edit);
    layout->addWidget(other);
    edit->setDataSource(m_source.get());
    edit->setDataField(u"soyadi"_s);
    openWindow(&window);

    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    edit->selectAll();
    typeText(edit, u"Yılmaz"_s);
    QVERIFY(!m_ds->Modified());
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    QVERIFY(m_ds->Modified());
    QCOMPARE(m_ds->FieldByName(u"soyadi"_s)->AsString(), u"Yılmaz"_s);
    // Nothing is stored until the record is.
    QCOMPARE(childValue(u"1"_s, u"soyadi"_s).toString(), u"Soyad1"_s);
    m_ds->Next();
    QCOMPARE(childValue(u"1"_s, u"soyadi"_s).toString(), u"Yılmaz"_s);
    QCOMPARE(edit->text(), u"Soyad2"_s);
}

void tst_DBControls::movingByCodeKeepsTypedText()
{
    m_ds->Open();
    QWidget window;
    auto* edit = new DBEdit(&window);
    edit->setDataSource(m_source.get());
    edit->setDataField(u"adi"_s);
    openWindow(&window);
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    edit->selectAll();
    typeText(edit, u"Deniz"_s);

    // A command moves the record while the box still has the focus (a function key does not
    // take it away): the typed text is part of the pending change.
    m_ds->Next();
    QCOMPARE(childValue(u"1"_s, u"adi"_s).toString(), u"Deniz"_s);
    QCOMPARE(edit->text(), u"Ad2"_s);
}

void tst_DBControls::escapeTakesBackTyping()
{
    m_ds->Open();
    QWidget window;
    auto* edit = new DBEdit(&window);
    edit->setDataSource(m_source.get());
    edit->setDataField(u"adi"_s);
    openWindow(&window);
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    typeText(edit, u"xyz"_s);
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(edit->text(), u"Ad1"_s);
    QVERIFY(!edit->isModified());
    m_ds->Post();
    QCOMPARE(childValue(u"1"_s, u"adi"_s).toString(), u"Ad1"_s);
}

// Every box that takes typing shares how typed text is taken back and how the box lets go of
// its field: Escape shows the field again, and a box removed with text still pending is not
// asked for it when the record is stored.
void tst_DBControls::typingTakenBackOrLeftBehind_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("removeBox");

    QTest::newRow("memo, escape") << u"memo"_s << false;
    QTest::newRow("combo box, escape") << u"combo"_s << false;
    QTest::newRow("edit, removed") << u"edit"_s << true;
    QTest::newRow("memo, removed") << u"memo"_s << true;
    QTest::newRow("combo box, removed") << u"combo"_s << true;
}

void tst_DBControls::typingTakenBackOrLeftBehind()
{
    QFETCH(QString, kind);
    QFETCH(bool, removeBox);

    m_ds->Open();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    QWidget* box = boundBox(kind, u"adi"_s);
    layout->addWidget(box);
    openWindow(&window);
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    typeText(box, u"xyz"_s);
    QCOMPARE(m_ds->State(), dsEdit);

    if (removeBox) {
        delete box;
    } else {
        QTest::keyClick(box, Qt::Key_Escape);
        QCOMPARE(shownText(box), u"Ad1"_s);
    }
    m_ds->Post();
    QCOMPARE(m_ds->State(), dsBrowse);
    QCOMPARE(childValue(u"1"_s, u"adi"_s).toString(), u"Ad1"_s);
    m_ds->Next();
    QCOMPARE(m_ds->FieldByName(u"adi"_s)->AsString(), u"Ad2"_s);
}

void tst_DBControls::lockedBoxesTakeNoTyping_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("fieldReadOnly");
    QTest::addColumn<bool>("boxReadOnly");

    QTest::newRow("AutoInc field") << u"hid"_s << false << false;
    QTest::newRow("read-only field") << u"adi"_s << true << false;
    QTest::newRow("locked box") << u"adi"_s << false << true;
}

void tst_DBControls::lockedBoxesTakeNoTyping()
{
    QFETCH(QString, field);
    QFETCH(bool, fieldReadOnly);
    QFETCH(bool, boxReadOnly);

    m_ds->FieldByName(field)->ReadOnly = fieldReadOnly;
    m_ds->Open();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new DBEdit;
    auto* memo = new DBMemo;
    auto* combo = new DBComboBox;
    layout->addWidget(edit);
    layout->addWidget(memo);
    layout->addWidget(combo);
    edit->setDataSource(m_source.get());
    edit->setDataField(field);
    edit->setReadOnly(boxReadOnly);
    memo->setDataSource(m_source.get());
    memo->setDataField(field);
    memo->setReadOnly(boxReadOnly);
    combo->setItems({ u"Ali"_s, u"Veli"_s });
    combo->setDataSource(m_source.get());
    combo->setDataField(field);
    combo->setReadOnly(boxReadOnly);
    openWindow(&window);

    const QString shown = edit->text();
    for (QWidget* control :
        { static_cast<QWidget*>(edit), static_cast<QWidget*>(memo), static_cast<QWidget*>(combo) }) {
        control->setFocus();
        QTRY_VERIFY(control->hasFocus());
        typeText(control, u"7"_s);
        QTest::keyClick(control, Qt::Key_Backspace);
        QTest::keyClick(control, Qt::Key_Down);
    }
    QCOMPARE(edit->text(), shown);
    QCOMPARE(memo->toPlainText(), shown);
    QCOMPARE(combo->currentText(), shown);
    QCOMPARE(m_ds->State(), dsBrowse);
}

void tst_DBControls::followsCurrentRecord()
{
    m_ds->Open();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new DBEdit;
    auto* memo = new DBMemo;
    layout->addWidget(edit);
    layout->addWidget(memo);
    edit->setDataSource(m_source.get());
    edit->setDataField(u"adi"_s);
    memo->setDataSource(m_source.get());
    memo->setDataField(u"soyadi"_s);
    openWindow(&window);

    m_ds->Next();
    QCOMPARE(edit->text(), u"Ad2"_s);
    QCOMPARE(memo->toPlainText(), u"Soyad2"_s);
    m_ds->Edit();
    m_ds->FieldByName(u"adi"_s)->setAsString(u"Kod"_s);
    QCOMPARE(edit->text(), u"Kod"_s);
    m_ds->Cancel();
    QCOMPARE(edit->text(), u"Ad2"_s);
    m_ds->Append();
    QCOMPARE(edit->text(), QString());
    m_ds->Cancel();
    m_ds->Close();
    QCOMPARE(edit->text(), QString());
    QVERIFY(edit->QLineEdit::isReadOnly());
    m_ds->Open();
    QCOMPARE(edit->text(), u"Ad1"_s);
}

void tst_DBControls::memoKeepsLines()
{
    m_ds->Open();
    QWidget window;
    auto* memo = new DBMemo(&window);
    memo->setDataSource(m_source.get());
    memo->setDataField(u"alerji"_s);
    openWindow(&window);
    memo->setFocus();
    QTRY_VERIFY(memo->hasFocus());
    typeText(memo, u"süt"_s);
    QCOMPARE(m_ds->State(), dsEdit);
    QTest::keyClick(memo, Qt::Key_Return);
    typeText(memo, u"yumurta"_s);
    m_ds->Post();
    QCOMPARE(childValue(u"1"_s, u"alerji"_s).toString(), u"süt\nyumurta"_s);

    // A stored text with Windows line ends shows as the same lines.
    setChild(u"2"_s, u"alerji"_s, u"a\r\nb"_s);
    m_ds->Refresh();
    m_ds->Next();
    QCOMPARE(memo->toPlainText(), u"a\nb"_s);
    QCOMPARE(memo->document()->blockCount(), 2);
}

void tst_DBControls::comboBoxChoice()
{
    setChild(u"1"_s, u"kangrubu"_s, u"A Rh+"_s);
    setChild(u"2"_s, u"kangrubu"_s, u"AB"_s);
    m_ds->Open();
    QWidget window;
    auto* combo = new DBComboBox(&window);
    combo->setItems({ u"0 Rh+"_s, u"A Rh+"_s, u"B Rh-"_s });
    combo->setDataSource(m_source.get());
    combo->setDataField(u"kangrubu"_s);
    openWindow(&window);
    QCOMPARE(combo->currentText(), u"A Rh+"_s);
    QCOMPARE(combo->currentIndex(), 1);

    combo->setFocus();
    QTRY_VERIFY(combo->hasFocus());
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentText(), u"B Rh-"_s);
    QCOMPARE(m_ds->State(), dsEdit);
    m_ds->Post();
    QCOMPARE(childValue(u"1"_s, u"kangrubu"_s).toString(), u"B Rh-"_s);

    // A value outside the list is shown as it is, and typed text is stored as well.
    m_ds->Next();
    QCOMPARE(combo->currentText(), u"AB"_s);
    QCOMPARE(combo->currentIndex(), -1);
    combo->lineEdit()->selectAll();
    typeText(combo, u"0 Rh-"_s);
    m_ds->Post();
    QCOMPARE(childValue(u"2"_s, u"kangrubu"_s).toString(), u"0 Rh-"_s);
}

void tst_DBControls::imageLoadsWhenShownAndKeepsProportions()
{
    setChild(u"1"_s, u"resim"_s, pngBytes(QSize(200, 100), Qt::red));
    m_ds->Open();
    QWidget window;
    auto* image = new DBImage(&window);
    image->setGeometry(0, 0, 100, 100);
    image->setDataSource(m_source.get());
    image->setDataField(u"resim"_s);
    image->hide();
    openWindow(&window);
    QVERIFY(!image->isLoaded());

    image->show();
    QVERIFY(image->isLoaded());
    QCOMPARE(image->picture().size(), QSize(200, 100));
    const QImage shown = image->grab().toImage();
    QCOMPARE(shown.size(), QSize(100, 100));
    QCOMPARE(QColor(shown.pixel(50, 50)), QColor(Qt::red));
    QCOMPARE(QColor(shown.pixel(2, 30)), QColor(Qt::red));
    QVERIFY(QColor(shown.pixel(50, 10)) != QColor(Qt::red));
    QVERIFY(QColor(shown.pixel(50, 90)) != QColor(Qt::red));

    m_ds->Next();
    QVERIFY(image->picture().isNull());
    image->hide();
    m_ds->First();
    QVERIFY(!image->isLoaded());
}

void tst_DBControls::dateEditNullAndValue()
{
    setChild(u"2"_s, u"dogumtarihi"_s, u"2011-03-05 00:00:00.000"_s);
    m_ds->Open();
    QWidget window;
    auto* date = new DBDateEdit(&window);
    date->setDataSource(m_source.get());
    date->setDataField(u"dogumtarihi"_s);
    openWindow(&window);

    QVERIFY(date->isNull());
    QVERIFY(date->text().trimmed().isEmpty());
    m_ds->Next();
    QVERIFY(!date->isNull());
    QCOMPARE(date->date(), QDate(2011, 3, 5));
    QCOMPARE(date->text(), u"05.03.2011"_s);

    // A date chosen in the box (the calendar sets it the same way) puts the set into editing.
    date->setDate(QDate(2012, 1, 2));
    QCOMPARE(m_ds->State(), dsEdit);
    m_ds->Post();
    QVERIFY(childValue(u"2"_s, u"dogumtarihi"_s).toString().startsWith(u"2012-01-02"));

    // Delete with the whole text selected empties the field.
    date->setFocus();
    QTRY_VERIFY(date->hasFocus());
    date->selectAll();
    QTest::keyClick(date, Qt::Key_Delete);
    QVERIFY(date->isNull());
    m_ds->Post();
    QVERIFY(childValue(u"2"_s, u"dogumtarihi"_s).isNull());
}

void tst_DBControls::gridFollowsAndMovesDataSet()
{
    m_ds->Open();
    QWidget window;
    auto* grid = new DBGrid(&window);
    grid->setGeometry(0, 0, 400, 300);
    grid->setColumns({ u"hasta_kodu"_s, u"adi"_s, u"soyadi"_s });
    grid->setDataSource(m_source.get());
    openWindow(&window);
    QCOMPARE(grid->currentIndex().row(), 0);

    grid->setCurrentIndex(grid->model()->index(2, 1));
    QCOMPARE(m_ds->RecNo(), 3);
    const QRect second = grid->visualRect(grid->model()->index(1, 2));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(m_ds->RecNo(), 2);
    QCOMPARE(grid->selectedIndex(), 2);
    QCOMPARE(grid->selectedField()->FieldName(), u"soyadi"_s);

    // The data set moved by code: the grid follows, keeping the column.
    m_ds->First();
    QCOMPARE(grid->currentIndex().row(), 0);
    QCOMPARE(grid->currentIndex().column(), 2);
    m_ds->Append();
    QCOMPARE(grid->model()->rowCount(), 4);
    QCOMPARE(grid->currentIndex().row(), 3);

    // Leaving the untouched new row through the grid drops it.
    grid->setCurrentIndex(grid->model()->index(1, 0));
    QCOMPARE(m_ds->State(), dsBrowse);
    QCOMPARE(m_ds->RecNo(), 2);
    QCOMPARE(grid->model()->rowCount(), 3);
    QCOMPARE(grid->currentIndex().row(), 1);

    m_ds->Refresh();
    QCOMPARE(grid->currentIndex().row(), 1);
}

void tst_DBControls::gridRefusedMoveReturns()
{
    m_ds->Open();
    QWidget window;
    auto* grid = new DBGrid(&window);
    grid->setGeometry(0, 0, 400, 300);
    grid->setColumns({ u"hasta_kodu"_s, u"tckimlik"_s });
    grid->setDataSource(m_source.get());
    openWindow(&window);

    m_ds->Edit();
    m_ds->FieldByName(u"tckimlik"_s)->setAsString(u"bir"_s);
    m_messages->expectError();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(2, 0)).center());
    QCOMPARE(m_messages->shown().size(), 1);
    QCOMPARE(m_ds->RecNo(), 1);
    QCOMPARE(m_ds->State(), dsEdit);
    QTRY_COMPARE(grid->currentIndex().row(), 0);
}

void tst_DBControls::gridPostTakesCellBeingEdited()
{
    m_ds->Open();
    QWidget window;
    auto* grid = new DBGrid(&window);
    grid->setGeometry(0, 0, 400, 300);
    grid->setColumns({ u"hasta_kodu"_s, u"soyadi"_s });
    grid->setDataSource(m_source.get());
    openWindow(&window);
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(1, 1));
    QTRY_VERIFY(grid->hasFocus());
    typeText(grid, u"K"_s);
    QTRY_VERIFY(QApplication::focusWidget() != grid);
    // The first typed letter puts the data set into editing, before the cell is left.
    QCOMPARE(m_ds->State(), dsEdit);
    QCOMPARE(m_ds->RecNo(), 2);
    typeText(QApplication::focusWidget(), u"aya"_s);
    QVERIFY(grid->viewport()->isAncestorOf(QApplication::focusWidget()));

    // Storing while the cell editor is still open takes its text.
    m_ds->Post();
    QCOMPARE(childValue(u"2"_s, u"soyadi"_s).toString(), u"Kaya"_s);
}

void tst_DBControls::gridWidthsFromDisplayWidth()
{
    m_ds->FieldByName(u"soyadi"_s)->DisplayWidth = 30;
    m_ds->FieldByName(u"adi"_s)->DisplayWidth = 4;
    m_ds->FieldByName(u"adi"_s)->DisplayLabel = u"Çocuğun Adı ve İkinci Adı"_s;
    m_ds->Open();
    DBGrid grid;
    grid.setDataSource(m_source.get());
    grid.setColumns({ u"hasta_kodu"_s, u"adi"_s, u"soyadi"_s });
    const QFontMetrics metrics(grid.font());
    const int digit = metrics.horizontalAdvance(QLatin1Char('0'));
    QVERIFY(grid.columnWidth(2) >= 30 * digit);
    QVERIFY(grid.columnWidth(2) < 34 * digit);
    // A title wider than the field's width widens the column.
    QVERIFY(grid.columnWidth(1)
        >= QFontMetrics(grid.horizontalHeader()->font()).horizontalAdvance(u"Çocuğun Adı ve İkinci Adı"_s));

    // A width set by the screen survives a re-read.
    grid.setColumnWidth(0, 33);
    m_ds->Refresh();
    QCOMPARE(grid.columnWidth(0), 33);
}

void tst_DBControls::enterKey_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("startColumn");
    QTest::addColumn<int>("hiddenColumn");
    QTest::addColumn<bool>("memoNewLine");
    QTest::addColumn<bool>("gridSteps");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("column");

    QTest::newRow("edit box moves on") << u"edit"_s << 0 << -1 << true << true << u"memo"_s << 0;
    QTest::newRow("check box moves on") << u"check"_s << 0 << -1 << true << true << u"grid"_s << 0;
    QTest::newRow("memo takes a new line") << u"memo"_s << 0 << -1 << true << true << u"memo"_s << 0;
    QTest::newRow("memo without the exception") << u"memo"_s << 0 << -1 << false << true << u"check"_s << 0;
    QTest::newRow("grid steps a column") << u"grid"_s << 0 << -1 << true << true << u"grid"_s << 1;
    QTest::newRow("grid wraps to the first column") << u"grid"_s << 2 << -1 << true << true << u"grid"_s << 0;
    QTest::newRow("grid skips a hidden column") << u"grid"_s << 0 << 1 << true << true << u"grid"_s << 2;
    QTest::newRow("grid wraps over a hidden first column") << u"grid"_s << 2 << 0 << true << true << u"grid"_s << 1;
    QTest::newRow("grid without stepping moves on") << u"grid"_s << 1 << -1 << true << false << u"date"_s << 1;
    QTest::newRow("date box moves on") << u"date"_s << 0 << -1 << true << true << u"last"_s << 0;
    QTest::newRow("last control wraps to the first") << u"last"_s << 0 << -1 << true << true << u"edit"_s << 0;
}

void tst_DBControls::enterKey()
{
    QFETCH(QString, start);
    QFETCH(int, startColumn);
    QFETCH(int, hiddenColumn);
    QFETCH(bool, memoNewLine);
    QFETCH(bool, gridSteps);
    QFETCH(QString, focus);
    QFETCH(int, column);

    m_ds->Open();
    EnterScreen screen;
    screen.rules.memoNewLine = memoNewLine;
    screen.rules.gridColumnSteps = gridSteps;
    auto* layout = new QVBoxLayout(&screen);
    auto* edit = new DBEdit;
    auto* memo = new DBMemo;
    auto* check = new QCheckBox(u"Onay"_s);
    auto* grid = new DBGrid;
    auto* date = new DBDateEdit;
    auto* last = new QLineEdit;
    const QList<QWidget*> controls { edit, memo, check, grid, date, last };
    const QStringList names { u"edit"_s, u"memo"_s, u"check"_s, u"grid"_s, u"date"_s, u"last"_s };
    for (QWidget* control : controls)
        layout->addWidget(control);
    edit->setDataSource(m_source.get());
    edit->setDataField(u"adi"_s);
    memo->setDataSource(m_source.get());
    memo->setDataField(u"alerji"_s);
    date->setDataSource(m_source.get());
    date->setDataField(u"dogumtarihi"_s);
    grid->setColumns({ u"hasta_kodu"_s, u"adi"_s, u"soyadi"_s });
    grid->setDataSource(m_source.get());
    if (hiddenColumn >= 0)
        grid->setColumnHidden(hiddenColumn, true);
    openWindow(&screen);

    m_ds->Next();
    grid->setCurrentIndex(grid->model()->index(1, startColumn));
    QWidget* first = controls.at(names.indexOf(start));
    first->setFocus();
    QTRY_VERIFY(first->hasFocus());
    QTest::keyClick(first, Qt::Key_Return);

    QWidget* expected = controls.at(names.indexOf(focus));
    QTRY_VERIFY2(expected->hasFocus(),
        QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "nothing");
    QCOMPARE(grid->currentIndex().column(), column);
    QCOMPARE(grid->currentIndex().row(), 1);
    QCOMPARE(m_ds->RecNo(), 2);
    const bool newLine = start == u"memo" && memoNewLine;
    QCOMPARE(memo->toPlainText(), newLine ? u"\n"_s : QString());
    // Enter is not typing: only the new line starts an edit.
    QCOMPARE(m_ds->State(), newLine ? dsEdit : dsBrowse);
}

void tst_DBControls::enterInGridCellCommitsAndSteps()
{
    m_ds->Open();
    EnterScreen screen;
    auto* layout = new QVBoxLayout(&screen);
    auto* grid = new DBGrid;
    layout->addWidget(grid);
    grid->setColumns({ u"hasta_kodu"_s, u"adi"_s, u"soyadi"_s });
    grid->setDataSource(m_source.get());
    openWindow(&screen);
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 1));
    QTRY_VERIFY(grid->hasFocus());

    // Typing opens the cell editor with the typed letter.
    typeText(grid, u"Z"_s);
    QTRY_VERIFY(QApplication::focusWidget() != grid);
    typeText(QApplication::focusWidget(), u"eynep"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);

    QCOMPARE(grid->currentIndex().column(), 2);
    QCOMPARE(grid->currentIndex().row(), 0);
    QCOMPARE(m_ds->State(), dsEdit);
    QCOMPARE(m_ds->FieldByName(u"adi"_s)->AsString(), u"Zeynep"_s);
    QTRY_VERIFY(grid->hasFocus());
    m_ds->Post();
    QCOMPARE(childValue(u"1"_s, u"adi"_s).toString(), u"Zeynep"_s);
}

void tst_DBControls::wordCapitals_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");

    QTest::newRow("two words") << QString() << 0 << u"ali veli"_s << u"Ali Veli"_s;
    QTest::newRow("dotted i") << QString() << 0 << u"istanbul"_s << u"İstanbul"_s;
    QTest::newRow("dotless i") << QString() << 0 << u"ışık"_s << u"Işık"_s;
    QTest::newRow("other Turkish letters") << QString() << 0 << u"çağrı öz şen ümit ğ"_s << u"Çağrı Öz Şen Ümit Ğ"_s;
    QTest::newRow("capitals typed stay") << QString() << 0 << u"ALİ ali"_s << u"ALİ Ali"_s;
    QTest::newRow("two blanks") << QString() << 0 << u"a  b"_s << u"A  B"_s;
    QTest::newRow("inside a word") << u"ali"_s << 1 << u"x"_s << u"axli"_s;
    QTest::newRow("after a blank inside the text") << u"ali veli"_s << 4 << u"c"_s << u"ali Cveli"_s;
    QTest::newRow("at the start of a text") << u"veli"_s << 0 << u"ş"_s << u"Şveli"_s;
    QTest::newRow("after a digit or a dot") << QString() << 0 << u"1a.b"_s << u"1a.b"_s;
}

void tst_DBControls::wordCapitals()
{
    QFETCH(QString, before);
    QFETCH(int, caret);
    QFETCH(QString, typed);
    QFETCH(QString, after);

    QLineEdit edit;
    EditKeys::installWordCapitals(&edit);
    edit.setText(before);
    edit.setCursorPosition(caret);
    typeText(&edit, typed);
    QCOMPARE(edit.text(), after);

    // Typing over a selection that starts a word capitalises too.
    if (before.isEmpty())
        return;
    edit.setText(before);
    edit.setSelection(0, 2);
    typeText(&edit, u"z"_s);
    QCOMPARE(edit.text(), u"Z"_s + before.mid(2));
}

void tst_DBControls::wordCapitalsOnBoundEdit()
{
    m_ds->Open();
    QWidget window;
    auto* edit = new DBEdit(&window);
    EditKeys::installWordCapitals(edit);
    edit->setDataSource(m_source.get());
    edit->setDataField(u"adi"_s);
    openWindow(&window);
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    edit->selectAll();
    typeText(edit, u"ayşe ılgın"_s);
    QCOMPARE(m_ds->State(), dsEdit);
    m_ds->Post();
    QCOMPARE(childValue(u"1"_s, u"adi"_s).toString(), u"Ayşe Ilgın"_s);
}

// The program's own application object: Turkish locale and the last guard around events.
int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    tst_DBControls test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dbcontrols.moc"
