#include "DataError.h"
#include "EditBuffer.h"
#include "Field.h"
#include "KeyList.h"
#include "Schema.h"
#include "ValueFormats.h"

#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

using Values = QVector<QVariant>;

// The record being edited: values as typed, what a save checks and writes, the change log's
// lines, and the row the cache keeps after the save with what it knew of the pictures.
class tst_EditBuffer final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void normalized_data();
    void normalized();
    void prepare_data();
    void prepare();
    void changes_data();
    void changes();
    void savedRow_data();
    void savedRow();

private:
    // Sets "index=value" pairs (an empty value is no value) on a buffer begun on read.
    static void type(EditBuffer& edit, const QStringList& typed);

    TableDef m_def;
    QList<Field*> m_fields;
};

void tst_EditBuffer::initTestCase()
{
    m_def.name = u"cocuk"_s;
    m_def.keyField = u"cid"_s;
    m_def.fields = { { u"cid"_s, FieldType::AutoInc, 0 }, { u"ad"_s, FieldType::WideString, 5 },
        { u"kilo"_s, FieldType::Float, 0 }, { u"dogum"_s, FieldType::DateTime, 0 },
        { u"resim"_s, FieldType::Blob, 0 } };
    for (int i = 0; i < m_def.fields.size(); ++i) {
        const FieldDef& f = m_def.fields.at(i);
        m_fields.append(new Field(nullptr, i, f.name, f.type, f.size));
    }
    // A calculated field after the stored ones is never written.
    m_fields.append(new Field(nullptr, int(m_fields.size()), u"yas"_s, FieldType::WideString, 10));
}

void tst_EditBuffer::cleanupTestCase()
{
    qDeleteAll(m_fields);
}

void tst_EditBuffer::type(EditBuffer& edit, const QStringList& typed)
{
    for (const QString& t : typed) {
        const int at = int(t.indexOf(u'='));
        const QString text = t.mid(at + 1);
        edit.set(t.left(at).toInt(), EditBuffer::normalized(text.isEmpty() ? QVariant() : QVariant(text)));
    }
}

void tst_EditBuffer::normalized_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("kept");
    const QDateTime noon(QDate(2024, 2, 29), QTime(12, 30));
    QTest::newRow("an empty text is no value") << QVariant(QString()) << QVariant();
    QTest::newRow("a text") << QVariant(u"Ali"_s) << QVariant(u"Ali"_s);
    QTest::newRow("spaces stay") << QVariant(u" "_s) << QVariant(u" "_s);
    QTest::newRow("a number") << QVariant(3.5) << QVariant(3.5);
    QTest::newRow("no value") << QVariant() << QVariant();
    QTest::newRow("a date and time") << QVariant(noon) << QVariant(ValueFormats::storedDate(noon));
    QTest::newRow("a date, at its start")
        << QVariant(noon.date()) << QVariant(ValueFormats::storedDate(noon.date().startOfDay()));
}

void tst_EditBuffer::normalized()
{
    QFETCH(QVariant, value);
    QFETCH(QVariant, kept);
    QCOMPARE(EditBuffer::normalized(value), kept);
}

void tst_EditBuffer::prepare_data()
{
    QTest::addColumn<bool>("inserting");
    QTest::addColumn<QString>("preset"); // "index=value" given before typing, or empty
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QVariantList>("originals"); // of an edit, as read
    QTest::addColumn<bool>("refused");
    // The record read: 7, "Ali", 3.5, no date, no picture.
    QTest::newRow("new record: the filled fields, the counter left to the engine")
        << true << QString() << QStringList { u"0=99"_s, u"1=Can"_s, u"2=4,25"_s }
        << QStringList { u"\"ad\""_s, u"\"kilo\""_s } << QVariantList { u"Can"_s, 4.25 } << QVariantList() << false;
    QTest::newRow("new record: a field typed empty is not written")
        << true << QString() << QStringList { u"1=Can"_s, u"2="_s } << QStringList { u"\"ad\""_s }
        << QVariantList { u"Can"_s } << QVariantList() << false;
    QTest::newRow("new record: a number typed as spaces is not written")
        << true << QString() << QStringList { u"1=Can"_s, u"2=  "_s } << QStringList { u"\"ad\""_s }
        << QVariantList { u"Can"_s } << QVariantList() << false;
    QTest::newRow("new record: a preset link is written")
        << true << u"1=Ece"_s << QStringList() << QStringList { u"\"ad\""_s } << QVariantList { u"Ece"_s }
        << QVariantList() << false;
    QTest::newRow("edit: only the changed fields")
        << false << QString() << QStringList { u"2=5"_s } << QStringList { u"\"kilo\""_s } << QVariantList { 5.0 }
        << QVariantList { 3.5 } << false;
    QTest::newRow("edit: a field emptied is written as no value")
        << false << QString() << QStringList { u"1="_s, u"3=01.02.2020"_s }
        << QStringList { u"\"ad\""_s, u"\"dogum\""_s }
        << QVariantList { QVariant(), ValueFormats::storedDate(QDateTime(QDate(2020, 2, 1), QTime(0, 0))) }
        << QVariantList { u"Ali"_s, QVariant() } << false;
    QTest::newRow("edit: a preset value is no change")
        << false << u"1=Ece"_s << QStringList() << QStringList() << QVariantList() << QVariantList() << false;
    QTest::newRow("edit: nothing typed") << false << QString() << QStringList() << QStringList() << QVariantList()
                                         << QVariantList() << false;
    QTest::newRow("a text too long for its field") << false << QString() << QStringList { u"1=Ayşegül"_s }
                                                   << QStringList() << QVariantList() << QVariantList() << true;
    QTest::newRow("a number that is not one, after a sound one")
        << true << QString() << QStringList { u"1=Can"_s, u"2=dört"_s } << QStringList() << QVariantList()
        << QVariantList() << true;
    QTest::newRow("a date that is not one") << false << QString() << QStringList { u"3=31.02.2020"_s } << QStringList()
                                            << QVariantList() << QVariantList() << true;
}

void tst_EditBuffer::prepare()
{
    QFETCH(bool, inserting);
    QFETCH(QString, preset);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, columns);
    QFETCH(QVariantList, values);
    QFETCH(QVariantList, originals);
    QFETCH(bool, refused);
    EditBuffer::Row read;
    read.values = { 7LL, u"Ali"_s, 3.5, QVariant(), QVariant(), QVariant() };
    EditBuffer edit;
    edit.begin(int(m_fields.size()), inserting ? nullptr : &read);
    if (!preset.isEmpty())
        edit.preset(preset.section(u'=', 0, 0).toInt(), preset.section(u'=', 1));
    type(edit, typed);
    const int storedCount = int(m_def.fields.size());
    if (refused) {
        QVERIFY_THROWS_EXCEPTION(DataError, edit.prepare(m_fields, storedCount, inserting));
        return;
    }
    const EditBuffer::Write write = edit.prepare(m_fields, storedCount, inserting);
    QCOMPARE(write.columns, columns);
    QCOMPARE(write.values, values);
    // Every written value is also the stored one the cache keeps.
    for (int i = 0; i < columns.size(); ++i)
        QCOMPARE(write.stored.at(m_def.indexOf(columns.at(i).mid(1, columns.at(i).size() - 2))), values.at(i));
    if (!inserting)
        QCOMPARE(edit.originals(m_fields, storedCount), originals);
}

void tst_EditBuffer::changes_data()
{
    QTest::addColumn<bool>("inserting");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QStringList>("logged"); // "field:before>after"
    // The record read: 7, "Ali", 3.5, no date, no picture.
    QTest::newRow("new record: every filled field")
        << true << QStringList { u"1=Can"_s, u"2=4"_s } << QStringList { u"ad:>Can"_s, u"kilo:>4"_s };
    QTest::newRow("new record: nothing filled") << true << QStringList() << QStringList();
    QTest::newRow("new record: the counter is not logged")
        << true << QStringList { u"0=99"_s, u"1=Can"_s } << QStringList { u"ad:>Can"_s };
    QTest::newRow("edit: an empty field emptied again") << false << QStringList { u"3="_s } << QStringList();
    QTest::newRow("edit: a changed field") << false << QStringList { u"1=Can"_s } << QStringList { u"ad:Ali>Can"_s };
    QTest::newRow("edit: typed again as it was") << false << QStringList { u"1=Ali"_s, u"2=3,5"_s } << QStringList();
    QTest::newRow("edit: emptied") << false << QStringList { u"1="_s } << QStringList { u"ad:Ali>"_s };
    QTest::newRow("edit: filled") << false << QStringList { u"2=3,5"_s, u"4=x"_s } << QStringList { u"resim:>x"_s };
}

void tst_EditBuffer::changes()
{
    QFETCH(bool, inserting);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, logged);
    EditBuffer::Row read;
    read.values = { 7LL, u"Ali"_s, 3.5, QVariant(), QVariant() };
    EditBuffer edit;
    edit.begin(int(m_fields.size()), inserting ? nullptr : &read);
    type(edit, typed);
    const EditBuffer::Write write = edit.prepare(m_fields, int(m_def.fields.size()), inserting);
    QStringList got;
    for (const ChangeLog::Change& c : edit.changes(m_def, inserting, write.stored))
        got.append(c.field + u':' + c.before.toString() + u'>' + c.after.toString());
    QCOMPARE(got, logged);
}

void tst_EditBuffer::savedRow_data()
{
    QTest::addColumn<bool>("inserting");
    QTest::addColumn<QString>("cached"); // the picture as the cache holds it: "bytes", "none", "unread" or "absent"
    QTest::addColumn<QString>("typedPicture"); // empty: left alone; "-": emptied
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<int>("present"); // -1: unknown
    QTest::newRow("edit, picture read and left alone")
        << false << u"bytes"_s << QString() << true << QByteArray("png") << 1;
    QTest::newRow("edit, no picture read and left alone")
        << false << u"none"_s << QString() << true << QByteArray() << 0;
    QTest::newRow("edit, picture never read keeps what was known")
        << false << u"unread"_s << QString() << false << QByteArray() << 1;
    QTest::newRow("edit, picture never read, a new one is known")
        << false << u"unread"_s << u"jpg"_s << true << QByteArray("jpg") << 1;
    QTest::newRow("edit, picture emptied") << false << u"bytes"_s << u"-"_s << true << QByteArray() << 0;
    QTest::newRow("edit, the row not in the cache") << false << u"absent"_s << QString() << false << QByteArray() << -1;
    QTest::newRow("new record with a picture") << true << u"absent"_s << u"gif"_s << true << QByteArray("gif") << 1;
    QTest::newRow("new record without one") << true << u"absent"_s << QString() << true << QByteArray() << 0;
}

void tst_EditBuffer::savedRow()
{
    QFETCH(bool, inserting);
    QFETCH(QString, cached);
    QFETCH(QString, typedPicture);
    QFETCH(bool, loaded);
    QFETCH(QByteArray, picture);
    QFETCH(int, present);
    const qint64 key = 7;
    KeyList keys;
    keys.setAll({ key });
    RowCache rows(
        keys, []() -> QSqlDatabase& { throw DataError(u"not read here"_s); }, [] { return qint64(7); });
    rows.setTable(&m_def);
    EditBuffer::Row read;
    read.values = { key, u"Ali"_s, 3.5, QVariant(), QVariant() };
    if (cached != u"absent"_s) {
        EditBuffer::Row row = read;
        if (cached == u"unread"_s) {
            row.blobsPresent = QBitArray(1, true);
        } else {
            row.values[4] = cached == u"bytes"_s ? QVariant(QByteArray("png")) : QVariant();
            row.blobsLoaded = true;
            rows.markBlobsPresent(row);
        }
        rows.store(key, row);
    }
    EditBuffer edit;
    edit.begin(int(m_fields.size()), inserting ? nullptr : &read);
    type(edit, { u"1=Can"_s });
    if (typedPicture == u"-"_s)
        edit.set(4, QVariant());
    else if (!typedPicture.isEmpty())
        edit.set(4, typedPicture.toUtf8());
    const EditBuffer::Write write = edit.prepare(m_fields, int(m_def.fields.size()), inserting);
    const EditBuffer::Row row = edit.savedRow(write.stored, int(m_def.fields.size()), inserting, rows, key);
    QCOMPARE(row.values.size(), m_def.fields.size());
    QCOMPARE(row.values.at(1), QVariant(u"Can"_s));
    QCOMPARE(row.blobsLoaded, loaded);
    if (loaded)
        QCOMPARE(row.values.at(4).toByteArray(), picture);
    QCOMPARE(row.blobsPresent.isEmpty() ? -1 : int(row.blobsPresent.testBit(0)), present);
}

QTEST_GUILESS_MAIN(tst_EditBuffer)
#include "tst_editbuffer.moc"
