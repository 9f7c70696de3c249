#include "Connection.h"
#include "DataSet.h"
#include "Field.h"
#include "PreparedReport.h"
#include "ReportBindings.h"
#include "ReportEngine.h"
#include "ReportError.h"
#include "ReportLayout.h"

#include <QBuffer>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// The engine on its own: layouts from the program's layout folder filled from data sets of a
// temporary clinic database, checked on the prepared pages and on the PDF they make.
class tst_ReportEngine final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void registryListRunsOverPages();
    void registryListFollowsFilterWithoutMovingCursor();
    void shadingOnOddRows_data();
    void shadingOnOddRows();
    void emptyDataSet_data();
    void emptyDataSet();
    void letterheadOfCurrentUser();
    void letterheadTelephone_data();
    void letterheadTelephone();
    void missingLetterheadPrintsBlank();
    void valueFormats_data();
    void valueFormats();
    void growingRowsPushTheNextRowDown();
    void fixedRowsCutOffLongText();
    void tenThousandCharacters_data();
    void tenThousandCharacters();
    void cardsPrintTheVisitBeingTyped();
    void listsLeaveOutOneText();
    void badLayouts_data();
    void badLayouts();
    void pdfHasThePages();
    void savedReportReadsBack();
    void packedPagesReadBack_data();
    void packedPagesReadBack();

private:
    void exec(const QString& sql, const QVariantList& binds = {});
    void addChild(const QString& code, const QString& adi, const QString& soyadi, const QString& birth = QString(),
        const QString& address = QString());
    void addVisit(const QString& code, const QString& date, const QVariantList& numbers, const QStringList& texts);
    void addUser(const QString& user, const QString& clinic, const QString& address, const QString& phone);
    DataSet* query(const QString& name, const QString& sql);
    DataSet* table(const QString& name, const QString& tableName);
    ReportBindings visitBindings();
    PreparedReport prepare(const QString& layout, const ReportBindings& bindings);
    static QList<const PreparedReport::Item*> shadeBoxes(const PreparedReport& report, int page);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Connection> m_conn;
    QList<DataSet*> m_dataSets;
    const QDateTime m_now = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9));
};

void tst_ReportEngine::initTestCase()
{
    ReportLayout::addLayoutDirectory(qEnvironmentVariable("PEDIAKAY_SOURCE_DIR") + u"/src/reports/layouts"_s);
    QVERIFY2(!ReportLayout::findFile(u"sicrapor_liste"_s).isEmpty(), "PEDIAKAY_SOURCE_DIR must name the sources");
}

void tst_ReportEngine::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_conn = std::make_unique<Connection>(m_dir->filePath(u"Data/Pediakay.db"_s), u"reports"_s);
    QVERIFY2(m_conn->open(), qPrintable(m_conn->lastError()));
    Connection::setDefaultConnection(m_conn.get());
}

void tst_ReportEngine::cleanup()
{
    qDeleteAll(m_dataSets);
    m_dataSets.clear();
    Connection::setDefaultConnection(nullptr);
    m_conn.reset();
    m_dir.reset();
}

void tst_ReportEngine::exec(const QString& sql, const QVariantList& binds)
{
    QSqlQuery q(m_conn->database());
    QVERIFY2(q.prepare(sql), qPrintable(q.lastError().text()));
    for (const QVariant& b : binds)
        q.addBindValue(b);
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
}

void tst_ReportEngine::addChild(
    const QString& code, const QString& adi, const QString& soyadi, const QString& birth, const QString& address)
{
    exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi, dogumtarihi, evadresi, evtel) VALUES (?, ?, ?, ?, ?, ?)"_s,
        { code, adi, soyadi, birth.isEmpty() ? QVariant() : QVariant(birth), address, u"0212 555 00 "_s + code });
}

// numbers: yas, boy, kilo, basc; texts: beslenme, sikayetbulgu, bulgu, tani, tedavi, not.
void tst_ReportEngine::addVisit(
    const QString& code, const QString& date, const QVariantList& numbers, const QStringList& texts)
{
    QVariantList binds { code, date };
    binds << numbers;
    for (const QString& t : texts)
        binds << t;
    exec(u"INSERT INTO muayene (hastakodu, tarih, yas, boy, kilo, basc, beslenme, sikayetbulgu, bulgu, tani, tedavi, "
         u"\"not\")"
         u" VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
        binds);
}

void tst_ReportEngine::addUser(const QString& user, const QString& clinic, const QString& address, const QString& phone)
{
    exec(
        u"INSERT INTO sifre (kullanici, sifre, adi, soyadi, firmaadi, firmaadres, firmatel) VALUES (?, 'x', 'Ad', 'Soyad', ?, ?, ?)"_s,
        { user, clinic, address, phone });
}

DataSet* tst_ReportEngine::query(const QString& name, const QString& sql)
{
    auto* ds = new DataSet(name);
    ds->setConnection(m_conn.get());
    ds->setSQL(sql);
    ds->Open();
    m_dataSets << ds;
    return ds;
}

DataSet* tst_ReportEngine::table(const QString& name, const QString& tableName)
{
    auto* ds = new DataSet(name);
    ds->setConnection(m_conn.get());
    ds->setTableName(tableName);
    ds->Open();
    m_dataSets << ds;
    return ds;
}

ReportBindings tst_ReportEngine::visitBindings()
{
    DataSet* history = query(u"muayeneRQuery"_s, u"select * from muayene where hastakodu = '7' order by tarih asc"_s);
    ReportBindings b(u"frmMain"_s);
    b.bind(u"muayeneRQuery"_s, history)
        .bind(u"frDBDataSet1"_s, history)
        .bind(u"muayeneTable"_s, table(u"muayeneTable"_s, u"muayene"_s))
        .bind(u"ozluk.sicilTable"_s, table(u"sicilTable"_s, u"hastasicil"_s))
        .bind(u"sifrelerF.sifreTable"_s, table(u"sifreTable"_s, u"sifre"_s));
    return b;
}

PreparedReport tst_ReportEngine::prepare(const QString& layout, const ReportBindings& bindings)
{
    return ReportEngine::prepare(ReportLayout::load(layout), bindings, m_now);
}

QList<const PreparedReport::Item*> tst_ReportEngine::shadeBoxes(const PreparedReport& report, int page)
{
    QList<const PreparedReport::Item*> out;
    for (const PreparedReport::Item& item : report.page(page).items) {
        if (report.style(item.style).background == QColor(240, 240, 240))
            out << &item;
    }
    return out;
}

void tst_ReportEngine::registryListRunsOverPages()
{
    const int children = 100;
    for (int i = 1; i <= children; ++i)
        addChild(QString::number(i), u"Çocuk%1"_s.arg(i, 3, 10, QChar(u'0')), u"Şahin"_s,
            u"2020-02-%1 00:00:00.000"_s.arg(i % 28 + 1, 2, 10, QChar(u'0')));
    addUser(u"doktor"_s, u"Işık Çocuk Kliniği"_s, u"Gül Sok. 3, Üsküdar"_s, u"0216 111 22 33"_s);
    ReportBindings b(u"sicrapor"_s);
    b.bind(u"sicrapQuery"_s, query(u"sicrapQuery"_s, u"Select * from hastasicil Order By hid ASC"_s));
    b.bind(u"sifrelerF.sifreTable"_s, table(u"sifreTable"_s, u"sifre"_s));
    const PreparedReport r = prepare(u"sicrapor_liste"_s, b);

    QVERIFY(r.pageCount() >= 2);
    QCOMPARE(r.pageSize().width(), ReportLayout::a4Portrait().width());
    const QString heading = u"ÇOCUK SİCİL KARTLARI RAPORU"_s;
    int next = 1;
    for (int p = 0; p < r.pageCount(); ++p) {
        const QStringList texts = r.texts(p);
        // Title on the first page only; headings and footer on every page.
        QCOMPARE(texts.contains(heading), p == 0);
        QVERIFY(texts.contains(u"D. TARİHİ"_s) && texts.contains(u"EV TELEFONU"_s));
        QVERIFY2(texts.contains(u"Sayfa %1 / %2"_s.arg(p + 1).arg(r.pageCount())), qPrintable(texts.join(u'|')));
        const PreparedReport::Item* footer = r.findItem(p, u"Sayfa %1 / %2"_s.arg(p + 1).arg(r.pageCount()));
        double lastBottom = 0;
        for (const PreparedReport::Item& item : r.page(p).items) {
            if (!item.text.startsWith(u"Çocuk"_s))
                continue;
            // Every child once, in the data set's order, above the footer.
            QCOMPARE(item.text, u"Çocuk%1"_s.arg(next, 3, 10, QChar(u'0')));
            QVERIFY(item.rect.bottom() <= footer->rect.top());
            QVERIFY(item.rect.top() >= lastBottom);
            lastBottom = item.rect.bottom();
            ++next;
        }
    }
    QCOMPARE(next, children + 1);

    // Places and fonts as the layout gives them: the sheet starts inside the margins.
    const double left = (ReportLayout::a4Portrait().width() - 752) / 2;
    const PreparedReport::Item* title = r.findItem(0, heading);
    QCOMPARE(title->rect, QRectF(left + 400, left + 60, 300, 24));
    const PreparedReport::Style& ts = r.style(title->style);
    QCOMPARE(ts.fontFamily, u"Times New Roman"_s);
    QCOMPARE(ts.fontSize, 12.0);
    QVERIFY(ts.bold);
    QCOMPARE(ts.alignment & Qt::AlignHorizontal_Mask, int(Qt::AlignHCenter));
    const PreparedReport::Item* first = r.findItem(0, u"Çocuk001"_s);
    const PreparedReport::Item* second = r.findItem(0, u"Çocuk002"_s);
    QCOMPARE(first->rect.left(), left + 128);
    QCOMPARE(second->rect.top() - first->rect.top(), 24.0);
    QVERIFY(!r.style(first->style).bold);
    QVERIFY(r.style(r.findItem(0, u"ADI"_s)->style).bold);
    QCOMPARE(r.style(r.findItem(0, u"ADI"_s)->style).frames, int(PreparedReport::FrameBottom));
    QVERIFY(r.texts(0).contains(u"02.02.2020"_s));
    QVERIFY(r.texts(0).contains(u"05.03.2024"_s));
    QVERIFY(r.texts(0).contains(u"14:07:09"_s));
    QVERIFY(r.texts(0).contains(u"Işık Çocuk Kliniği"_s));
    // The footer of this list carries the user and the telephone.
    QVERIFY(r.texts(r.pageCount() - 1).contains(u"doktor"_s));
    QVERIFY(r.texts(r.pageCount() - 1).contains(u"0216 111 22 33"_s));
}

void tst_ReportEngine::registryListFollowsFilterWithoutMovingCursor()
{
    for (int i = 1; i <= 6; ++i)
        addChild(QString::number(i), i % 2 ? u"Ali"_s : u"Veli"_s, u"Kaya%1"_s.arg(i));
    DataSet* list = query(u"sicrapQuery"_s, u"Select * from hastasicil Order By hid DESC"_s);
    list->OnFilterRecord = [](DataSet& ds, bool& accept) { accept = ds.FieldByName(u"adi"_s)->AsString() == u"Ali"; };
    list->setFiltered(true);
    list->setRecNo(2);
    const int recNo = list->RecNo();
    ReportBindings b(u"sicrapor"_s);
    b.bind(u"sicrapQuery"_s, list).bind(u"sifrelerF.sifreTable"_s, table(u"sifreTable"_s, u"sifre"_s));
    const PreparedReport r = prepare(u"sicrapor_liste"_s, b);
    QStringList surnames;
    for (const QString& t : r.texts(0)) {
        if (t.startsWith(u"Kaya"_s))
            surnames << t;
    }
    QCOMPARE(surnames, (QStringList { u"Kaya5"_s, u"Kaya3"_s, u"Kaya1"_s }));
    QCOMPARE(list->RecNo(), recNo);
    QCOMPARE(list->State(), dsBrowse);
}

void tst_ReportEngine::shadingOnOddRows_data()
{
    QTest::addColumn<QString>("layout");
    QTest::newRow("registry list") << u"sicrapor_liste"_s;
    QTest::newRow("landscape visit list") << u"muayene_liste_yatay"_s;
    QTest::newRow("portrait visit list") << u"muayene_liste_dikey"_s;
}

void tst_ReportEngine::shadingOnOddRows()
{
    QFETCH(QString, layout);
    for (int i = 1; i <= 3; ++i) {
        addChild(QString::number(i == 1 ? 7 : 10 + i), u"Ad%1"_s.arg(i), u"Soyad%1"_s.arg(i));
        addVisit(u"7"_s, u"2024-01-0%1 10:00:00.000"_s.arg(i), { i, 50 + i, 4 + i, 35 },
            { u"süt%1"_s.arg(i), {}, {}, {}, {}, {} });
    }
    ReportBindings b = visitBindings();
    b.bind(u"sicrapQuery"_s, query(u"sicrapQuery"_s, u"Select * from hastasicil Order By hid ASC"_s));
    const PreparedReport r = prepare(layout, b);
    QCOMPARE(r.pageCount(), 1);
    const QList<const PreparedReport::Item*> shaded = shadeBoxes(r, 0);
    QCOMPARE(shaded.size(), 2);
    // The shaded boxes lie behind rows 1 and 3: row 2's box is left out, so the gap between them
    // is two rows.
    const double row = shaded.at(0)->rect.height();
    QVERIFY(row > 0);
    QCOMPARE(shaded.at(1)->rect.top() - shaded.at(0)->rect.top(), 2 * row);
    QVERIFY(shaded.at(0)->text.isEmpty());
}

void tst_ReportEngine::emptyDataSet_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("registry list") << u"sicrapor_liste"_s
                                   << QStringList { u"ÇOCUK SİCİL KARTLARI RAPORU"_s, u"D. TARİHİ"_s, u"ADRESİ"_s,
                                          u"Sayfa 1 / 1"_s };
    QTest::newRow("landscape visit list")
        << u"muayene_liste_yatay"_s
        << QStringList { u"GELİŞİM TAKİP RAPORU"_s, u"TARİH"_s, u"TEDAVİ"_s, u"Sayfa 1 / 1"_s };
    QTest::newRow("portrait visit list") << u"muayene_liste_dikey"_s
                                         << QStringList { u"GELİŞİM TAKİP RAPORU"_s, u"B.Ç."_s, u"MUAYENE"_s,
                                                u"Sayfa 1 / 1"_s };
    QTest::newRow("card A") << u"muayene_kart_a"_s
                            << QStringList { u"GELİŞİM RAPORU"_s, u"GEL. TARİHİ"_s, u"NOT :"_s, u"Sayfa 1 / 1"_s };
    QTest::newRow("card B") << u"muayene_kart_b"_s
                            << QStringList { u"GELİŞİM RAPORU"_s, u"MUA. TARİHİ"_s, u"Sayfa 1 / 1"_s };
}

void tst_ReportEngine::emptyDataSet()
{
    QFETCH(QString, layout);
    QFETCH(QStringList, expected);
    ReportBindings b = visitBindings();
    b.bind(u"sicrapQuery"_s, query(u"sicrapQuery"_s, u"Select * from hastasicil Order By hid ASC"_s));
    const PreparedReport r = prepare(layout, b);
    QCOMPARE(r.pageCount(), 1);
    const QStringList texts = r.texts(0);
    for (const QString& e : expected)
        QVERIFY2(texts.contains(e), qPrintable(e + u" not in "_s + texts.join(u'|')));
    QVERIFY(shadeBoxes(r, 0).isEmpty());
}

void tst_ReportEngine::letterheadOfCurrentUser()
{
    addUser(u"ilk"_s, u"Birinci Klinik"_s, u"Birinci Cad."_s, u"111"_s);
    addUser(u"ikinci"_s, u"Öz Çocuk Sağlığı"_s, u"İnönü Cad. 5 Şişli İstanbul"_s, u"0212 222 33 44"_s);
    ReportBindings b = visitBindings();
    DataSet* users = b.find(u"sifrelerF"_s, u"sifreTable"_s);
    QVERIFY(users->Locate(u"kullanici"_s, u"ikinci"_s, {}));
    const PreparedReport r = prepare(u"muayene_kart_a"_s, b);
    const QStringList texts = r.texts(0);
    for (const QString& t :
        { u"Öz Çocuk Sağlığı"_s, u"İnönü Cad. 5 Şişli İstanbul"_s, u"0212 222 33 44"_s, u"ikinci"_s })
        QVERIFY2(texts.contains(t), qPrintable(t));
    QVERIFY(!texts.contains(u"Birinci Klinik"_s));
    const PreparedReport::Style& clinic = r.style(r.findItem(0, u"Öz Çocuk Sağlığı"_s)->style);
    QCOMPARE(clinic.fontSize, 9.0);
    QVERIFY(clinic.bold && clinic.wordWrap);
    const PreparedReport::Item* user = r.findItem(0, u"ikinci"_s);
    QCOMPARE(r.style(user->style).alignment & Qt::AlignHorizontal_Mask, int(Qt::AlignRight));
    QCOMPARE(user->rect.left(), 36.0 + 592);
}

void tst_ReportEngine::letterheadTelephone_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("printed");
    QTest::newRow("digits, through the field's mask") << u"2165551234"_s << u"(216) 555 12 34"_s;
    QTest::newRow("formatted elsewhere, as stored") << u"(216) 555 12 34"_s << u"(216) 555 12 34"_s;
    QTest::newRow("another layout, as stored") << u"0216 555 1234"_s << u"0216 555 1234"_s;
}

// The letterhead telephone as the accounts screen masks it: digits are shown through the mask, a
// number stored with its own punctuation is printed as it is.
void tst_ReportEngine::letterheadTelephone()
{
    QFETCH(QString, stored);
    QFETCH(QString, printed);
    addUser(u"ilk"_s, u"Klinik"_s, u"Cad."_s, stored);
    ReportBindings b = visitBindings();
    DataSet* users = b.find(u"sifrelerF"_s, u"sifreTable"_s);
    users->FieldByName(u"firmatel"_s)->EditMask = u"(999) 999 99 99;0;*"_s;
    QVERIFY(users->Locate(u"kullanici"_s, u"ilk"_s, {}));
    const PreparedReport r = prepare(u"muayene_kart_a"_s, b);
    const QStringList texts = r.texts(0);
    QVERIFY2(texts.contains(printed), qPrintable(texts.join(u" | "_s)));
}

void tst_ReportEngine::missingLetterheadPrintsBlank()
{
    // No account at all: the letterhead boxes stay empty and the rest prints.
    addChild(u"7"_s, u"Ada"_s, u"Su"_s);
    ReportBindings b = visitBindings();
    const PreparedReport r = prepare(u"muayene_liste_dikey"_s, b);
    QCOMPARE(r.pageCount(), 1);
    const QStringList texts = r.texts(0);
    QVERIFY(texts.contains(u"05.03.2024"_s));
    QVERIFY(texts.contains(u"GELİŞİM TAKİP RAPORU"_s));
    // Nothing printed where the clinic name would stand.
    for (const PreparedReport::Item& item : r.page(0).items)
        QVERIFY(!(item.rect.left() == 36 + 48 && item.rect.top() == 54 + 12));
}

void tst_ReportEngine::valueFormats_data()
{
    QTest::addColumn<QVariant>("yas");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("printedAge");
    QTest::addColumn<QString>("printedDate");
    QTest::newRow("months and days") << QVariant(24.05) << u"2024-02-29 09:30:00.000"_s << u"24,05"_s
                                     << u"29.02.2024"_s;
    QTest::newRow("whole") << QVariant(3) << u"2023-12-31 00:00:00.000"_s << u"3,00"_s << u"31.12.2023"_s;
    QTest::newRow("grouping") << QVariant(1234.5) << u"2000-01-01 23:59:59.000"_s << u"1.234,50"_s << u"01.01.2000"_s;
    QTest::newRow("empty") << QVariant() << QString() << QString() << QString();
}

void tst_ReportEngine::valueFormats()
{
    QFETCH(QVariant, yas);
    QFETCH(QString, date);
    QFETCH(QString, printedAge);
    QFETCH(QString, printedDate);
    exec(u"INSERT INTO muayene (hastakodu, tarih, yas) VALUES ('7', ?, ?)"_s,
        { date.isEmpty() ? QVariant() : QVariant(date), yas });
    const PreparedReport r = prepare(u"muayene_liste_yatay"_s, visitBindings());
    // The row's first two boxes: date under "TARİH", age under "YAŞ".
    const PreparedReport::Item* tarih = r.findItem(0, u"TARİH"_s);
    const PreparedReport::Item* yasHeading = r.findItem(0, u"YAŞ"_s);
    QString age = u"<none>"_s;
    QString day = u"<none>"_s;
    for (const PreparedReport::Item& item : r.page(0).items) {
        if (item.rect.top() <= tarih->rect.bottom())
            continue;
        if (item.rect.left() == yasHeading->rect.left())
            age = item.text;
        if (item.rect.left() == tarih->rect.left())
            day = item.text;
    }
    if (printedAge.isEmpty()) {
        QCOMPARE(age, u"<none>"_s); // an empty value prints nothing
        QCOMPARE(day, u"<none>"_s);
    } else {
        QCOMPARE(age, printedAge);
        QCOMPARE(day, printedDate);
    }
}

void tst_ReportEngine::growingRowsPushTheNextRowDown()
{
    const QString longText = QStringList(40, u"ishal kusma ateş"_s).join(u' ');
    addVisit(u"7"_s, u"2024-01-01 10:00:00.000"_s, { 1, 50, 4, 35 }, { u"anne sütü"_s, longText, {}, {}, {}, {} });
    addVisit(u"7"_s, u"2024-01-02 10:00:00.000"_s, { 2, 51, 5, 36 }, { u"mama"_s, {}, {}, {}, {}, {} });
    const PreparedReport r = prepare(u"muayene_liste_yatay"_s, visitBindings());
    const PreparedReport::Item* grown = r.findItem(0, longText);
    const PreparedReport::Item* first = r.findItem(0, u"anne sütü"_s);
    const PreparedReport::Item* second = r.findItem(0, u"mama"_s);
    QVERIFY(grown && first && second);
    QVERIFY2(grown->rect.height() > 100, qPrintable(QString::number(grown->rect.height())));
    QVERIFY(r.style(grown->style).wordWrap);
    // The row grew with its tallest text and the next row starts below it.
    QVERIFY(second->rect.top() >= grown->rect.bottom());
    QVERIFY(second->rect.top() - first->rect.top() > 100);
    // The shaded box behind the first row spans the grown row.
    const QList<const PreparedReport::Item*> shaded = shadeBoxes(r, 0);
    QCOMPARE(shaded.size(), 1);
    QVERIFY(shaded.at(0)->rect.bottom() >= grown->rect.bottom() - 0.5);
    QVERIFY(shaded.at(0)->rect.bottom() <= second->rect.top() + 0.5);
}

void tst_ReportEngine::fixedRowsCutOffLongText()
{
    const QString longText = QStringList(200, u"öksürük"_s).join(u' ');
    addVisit(u"7"_s, u"2024-01-01 10:00:00.000"_s, { 1, 50, 4, 35 }, { u"süt"_s, longText, {}, {}, {}, {} });
    addVisit(u"7"_s, u"2024-01-02 10:00:00.000"_s, { 2, 51, 5, 36 }, { u"mama"_s, {}, {}, {}, {}, {} });
    const PreparedReport r = prepare(u"muayene_liste_dikey"_s, visitBindings());
    const PreparedReport::Item* paragraph = nullptr;
    const PreparedReport::Item* nextParagraph = nullptr;
    for (const PreparedReport::Item& item : r.page(0).items) {
        if (item.text.startsWith(u"BESLENME : süt"_s))
            paragraph = &item;
        if (item.text.startsWith(u"BESLENME : mama"_s))
            nextParagraph = &item;
    }
    QVERIFY(paragraph && nextParagraph);
    QVERIFY(paragraph->text.contains(longText));
    // The band stays 120 high and the paragraph 96; the text is cut off at the box.
    QCOMPARE(paragraph->rect.height(), 96.0);
    QVERIFY(r.style(paragraph->style).clip);
    QCOMPARE(nextParagraph->rect.top() - paragraph->rect.top(), 120.0);
}

void tst_ReportEngine::tenThousandCharacters_data()
{
    QTest::addColumn<QString>("layout");
    QTest::newRow("registry list, fixed row") << u"sicrapor_liste"_s;
    QTest::newRow("landscape list, growing row") << u"muayene_liste_yatay"_s;
    QTest::newRow("portrait list, fixed row") << u"muayene_liste_dikey"_s;
    QTest::newRow("card A") << u"muayene_kart_a"_s;
    QTest::newRow("card B") << u"muayene_kart_b"_s;
}

void tst_ReportEngine::tenThousandCharacters()
{
    QFETCH(QString, layout);
    QString huge;
    while (huge.size() < 10000)
        huge += u"uzun metin "_s;
    huge.truncate(10000);
    addChild(u"7"_s, u"Ada"_s, u"Su"_s, QString(), huge);
    addChild(u"8"_s, u"Sonraki"_s, u"Su"_s);
    addVisit(u"7"_s, u"2024-01-01 10:00:00.000"_s, { 1, 50, 4, 35 }, { huge, huge, huge, huge, huge, huge });
    addVisit(u"7"_s, u"2024-01-02 10:00:00.000"_s, { 2, 51, 5, 36 }, { u"sonraki"_s, {}, {}, {}, {}, {} });
    ReportBindings b = visitBindings();
    b.bind(u"sicrapQuery"_s, query(u"sicrapQuery"_s, u"Select * from hastasicil Order By hid ASC"_s));
    DataSet* visits = b.find(QString(), u"muayeneTable"_s);
    visits->First();
    const PreparedReport r = prepare(layout, b);
    QVERIFY(r.pageCount() <= 3);
    // Nothing reaches into the footer or off the paper, whatever the text.
    for (int p = 0; p < r.pageCount(); ++p) {
        const PreparedReport::Item* footer = r.findItem(p, u"Sayfa %1 / %2"_s.arg(p + 1).arg(r.pageCount()));
        QVERIFY(footer);
        for (const PreparedReport::Item& item : r.page(p).items) {
            // The footer band begins a little above its page number box.
            if (item.rect.top() < footer->rect.top() - 5)
                QVERIFY2(item.rect.bottom() <= footer->rect.top() + 0.01, qPrintable(item.text.left(20)));
        }
    }
}

void tst_ReportEngine::cardsPrintTheVisitBeingTyped()
{
    addChild(u"7"_s, u"Zeynep"_s, u"Çelik"_s);
    addUser(u"doktor"_s, u"Klinik"_s, u"Adres"_s, u"Tel"_s);
    addVisit(u"7"_s, u"2024-01-01 10:00:00.000"_s, { 1, 50, 4, 35 }, { u"eski"_s, {}, {}, {}, {}, {} });
    ReportBindings b = visitBindings();
    b.find(u"ozluk"_s, u"sicilTable"_s)->Locate(u"hasta_kodu"_s, u"7"_s, {});
    DataSet* visits = b.find(QString(), u"muayeneTable"_s);
    visits->Append();
    visits->FieldByName(u"hastakodu"_s)->setAsString(u"7"_s);
    visits->FieldByName(u"tarih"_s)->setAsDateTime(QDateTime(QDate(2024, 3, 5), QTime(9, 0)));
    visits->FieldByName(u"yas"_s)->setAsFloat(24.05);
    visits->FieldByName(u"kilo"_s)->setAsFloat(12.5);
    visits->FieldByName(u"beslenme"_s)->setAsString(u"ek gıda"_s);
    visits->FieldByName(u"not"_s)->setAsString(u"kontrol"_s);

    const PreparedReport a = prepare(u"muayene_kart_a"_s, b);
    QCOMPARE(a.pageCount(), 1);
    for (const QString& t : { u"GEL. TARİHİ"_s, u"05.03.2024"_s, u"24,05"_s, u"12,50"_s, u"ek gıda"_s, u"kontrol"_s,
             u"7"_s, u"Zeynep  Çelik"_s, u"ÇOCUK NO"_s, u"ADI SOYADI "_s })
        QVERIFY2(a.texts(0).contains(t), qPrintable(t));
    QVERIFY(!a.texts(0).contains(u"eski"_s));
    QCOMPARE(a.style(a.findItem(0, u"BESLENME :"_s)->style).color, QColor(128, 0, 0));
    QCOMPARE(a.style(a.findItem(0, u"Zeynep  Çelik"_s)->style).fontSize, 12.0);

    const PreparedReport cardB = prepare(u"muayene_kart_b"_s, b);
    QCOMPARE(cardB.pageCount(), 1);
    QVERIFY(cardB.texts(0).contains(u"MUA. TARİHİ"_s));
    QVERIFY(cardB.texts(0).contains(
        u"BESLENME : ek gıda\n\nŞİKAYET : \n\nBULGU : \n\nTANI : \n\nTEDAVİ : \n\nNOT : kontrol"_s));
    // Neither card stored, dropped or moved the visit being typed.
    QCOMPARE(visits->State(), dsInsert);
    QCOMPARE(visits->FieldByName(u"beslenme"_s)->AsString(), u"ek gıda"_s);
    visits->Cancel();
}

void tst_ReportEngine::listsLeaveOutOneText()
{
    addVisit(u"7"_s, u"2024-01-01 10:00:00.000"_s, { 1, 50, 4, 35 },
        { u"BES"_s, u"ŞİK"_s, u"BUL"_s, u"TAN"_s, u"TED"_s, u"NOTU"_s });
    const PreparedReport landscape = prepare(u"muayene_liste_yatay"_s, visitBindings());
    QVERIFY(landscape.landscape());
    QVERIFY(landscape.texts(0).contains(u"BUL"_s));
    QVERIFY(!landscape.texts(0).join(u'|').contains(u"NOTU"_s));
    const PreparedReport portrait = prepare(u"muayene_liste_dikey"_s, visitBindings());
    QVERIFY(!portrait.landscape());
    QVERIFY(portrait.texts(0).contains(u"BESLENME : BES ŞİKAYET : ŞİK TANI : TAN TEDAVİ : TED NOT : NOTU"_s));
    QVERIFY(!portrait.texts(0).join(u'|').contains(u"BUL"_s));
}

void tst_ReportEngine::badLayouts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("dataSet");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing field") << u"[muayeneTable.\"yok\"]"_s << u"muayeneTable"_s << u"Field \"yok\" not found"_s;
    QTest::newRow("missing data set") << u"[muayeneTablo.\"tarih\"]"_s << u"muayeneTable"_s << u"\"muayeneTablo\""_s;
    QTest::newRow("missing screen") << u"[yokF.sifreTable.\"firmaadi\"]"_s << u"muayeneTable"_s
                                    << u"\"yokF.sifreTable\""_s;
    QTest::newRow("missing band data set") << u"x"_s << u"frDBDataSet9"_s << u"\"frDBDataSet9\""_s;
    QTest::newRow("closed data set") << u"[kapali.\"tarih\"]"_s << u"muayeneTable"_s << u"\"kapali\" is closed"_s;
    QTest::newRow("bad expression") << u"[muayeneTable tarih]"_s << u"muayeneTable"_s << u"Invalid expression"_s;
}

void tst_ReportEngine::badLayouts()
{
    QFETCH(QString, text);
    QFETCH(QString, dataSet);
    QFETCH(QString, message);
    const QString json = uR"({"bands": [{"kind": "masterData", "top": 0, "height": 20, "dataSet": "%1",
        "boxes": [{"left": 0, "top": 0, "width": 100, "height": 20, "text": "%2"}]}]})"_s.arg(
        dataSet, QString(text).replace(u'"', u"\\\""_s));
    ReportBindings b = visitBindings();
    auto* closed = new DataSet(u"kapali"_s);
    closed->setTableName(u"muayene"_s);
    m_dataSets << closed;
    b.bind(u"kapali"_s, closed);
    try {
        ReportEngine::prepare(ReportLayout::fromJson(json.toUtf8(), u"test"_s), b, m_now);
        QFAIL("prepared a bad layout");
    } catch (const ReportError& e) {
        QVERIFY2(e.text().contains(message), qPrintable(e.text()));
    }
}

void tst_ReportEngine::pdfHasThePages()
{
    for (int i = 1; i <= 60; ++i)
        addChild(QString::number(i), u"İsim%1"_s.arg(i), u"Güneş"_s);
    addUser(u"doktor"_s, u"Işıklı Şifa Kliniği"_s, u"Adres"_s, u"Tel"_s);
    ReportBindings b(u"sicrapor"_s);
    b.bind(u"sicrapQuery"_s, query(u"sicrapQuery"_s, u"Select * from hastasicil Order By hid ASC"_s));
    b.bind(u"sifrelerF.sifreTable"_s, table(u"sifreTable"_s, u"sifre"_s));
    PreparedReport r = prepare(u"sicrapor_liste"_s, b);
    QCOMPARE(r.pageCount(), 2);
    const QString pdf = m_dir->filePath(u"liste.pdf"_s);
    QString error;
    QVERIFY2(r.writePdf(pdf, &error), qPrintable(error));

    QProcess info;
    info.start(u"pdfinfo"_s, { pdf });
    QVERIFY(info.waitForFinished(20000));
    const QString meta = QString::fromUtf8(info.readAllStandardOutput());
    QVERIFY2(meta.contains(QRegularExpression(u"Pages:\\s+2\n"_s)), qPrintable(meta));
    QVERIFY2(meta.contains(u"595 x 842 pts (A4)"_s), qPrintable(meta));

    QProcess text;
    text.start(u"pdftotext"_s, { u"-layout"_s, pdf, u"-"_s });
    QVERIFY(text.waitForFinished(20000));
    const QString out = QString::fromUtf8(text.readAllStandardOutput());
    for (const QString& t : { u"ÇOCUK SİCİL KARTLARI RAPORU"_s, u"Işıklı Şifa Kliniği"_s, u"İsim1 "_s, u"İsim60"_s,
             u"Sayfa 1 / 2"_s, u"Sayfa 2 / 2"_s, u"EV TELEFONU"_s })
        QVERIFY2(out.contains(t), qPrintable(t + u" not in:\n"_s + out.left(1500)));
    // Page two starts with the headings again, and the title does not come back.
    const QString second = out.mid(out.indexOf(u'\f'));
    QVERIFY(second.contains(u"D. TARİHİ"_s));
    QVERIFY(!second.contains(u"ÇOCUK SİCİL KARTLARI RAPORU"_s));
}

void tst_ReportEngine::savedReportReadsBack()
{
    addVisit(u"7"_s, u"2024-01-01 10:00:00.000"_s, { 1, 50, 4, 35 }, { u"süt"_s, u"öksürük"_s, {}, {}, {}, {} });
    PreparedReport r = prepare(u"muayene_liste_yatay"_s, visitBindings());
    r.setTitle(u"Lumeko Rapor Önizleme - Protokol Takip Kartları"_s);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    QVERIFY(r.save(buffer));
    buffer.seek(0);
    PreparedReport back;
    QString error;
    QVERIFY2(PreparedReport::load(buffer, back, &error), qPrintable(error));
    QCOMPARE(back.title(), r.title());
    QCOMPARE(back.pageSize(), r.pageSize());
    QCOMPARE(back.pageCount(), r.pageCount());
    QCOMPARE(back.texts(0), r.texts(0));
    QCOMPARE(back.page(0).items.size(), r.page(0).items.size());
    for (qsizetype i = 0; i < r.page(0).items.size(); ++i) {
        QCOMPARE(back.page(0).items.at(i).rect, r.page(0).items.at(i).rect);
        QVERIFY(back.style(back.page(0).items.at(i).style) == r.style(r.page(0).items.at(i).style));
    }
    // Anything else is refused, not half read.
    QBuffer junk;
    junk.setData("not a report at all");
    junk.open(QIODevice::ReadOnly);
    QVERIFY(!PreparedReport::load(junk, back, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(back.pageCount(), r.pageCount());
}

void tst_ReportEngine::packedPagesReadBack_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("rows");
    QTest::newRow("one page") << 1 << 40;
    QTest::newRow("as many as kept unpacked") << 16 << 40;
    QTest::newRow("one more") << 18 << 40;
    QTest::newRow("a long list") << 300 << 42;
    QTest::newRow("empty pages") << 40 << 0;
}

// Pages packed while a report grows read back exactly, in any order; a page changed after later
// pages were made (the page count filled in) keeps the change; a copy is a report of its own.
// Packed, a list's page takes a small part of what its items take unpacked.
void tst_ReportEngine::packedPagesReadBack()
{
    QFETCH(int, pages);
    QFETCH(int, rows);
    const QStringList names { u"Ayşe Yılmaz"_s, u"Mehmet Öztürk"_s, u"İsmail Işık"_s, u"Çağrı Şen"_s, QString() };
    QList<QList<PreparedReport::Item>> expected;
    PreparedReport r;
    const int style = r.addStyle(PreparedReport::Style());
    qint64 unpackedBytes = 0;
    for (int p = 0; p < pages; ++p) {
        r.addPage();
        QList<PreparedReport::Item> items;
        items.append({ QRectF(37.8, 30.25, 700, 20), u"Sayfa %1 / ?"_s.arg(p + 1), style });
        for (int row = 0; row < rows; ++row) {
            const double top = 60 + row * 24.3333;
            items.append({ QRectF(37.8, top, 60, 24.3333), QString::number(p * rows + row + 1), style });
            items.append({ QRectF(97.8, top, 200, 24.3333), names.at((p + row) % names.size()), style });
            items.append(
                { QRectF(297.8, top, 90, 24.3333), u"%1.03.2019"_s.arg(row % 28 + 1, 2, 10, QChar(u'0')), style });
        }
        for (const PreparedReport::Item& item : std::as_const(items)) {
            r.page(p).items.append(item);
            unpackedBytes += qint64(sizeof(PreparedReport::Item)) + item.text.size() * 2;
        }
        expected.append(items);
    }
    // The page count filled in last, as the report job does.
    for (int p = 0; p < pages; ++p) {
        const QString numbered = u"Sayfa %1 / %2"_s.arg(p + 1).arg(pages);
        r.page(p).items[0].text = numbered;
        expected[p][0].text = numbered;
    }
    const auto compare = [&expected](const PreparedReport& report, int p) {
        const QList<PreparedReport::Item>& items = report.page(p).items;
        if (items.size() != expected.at(p).size())
            return false;
        for (qsizetype i = 0; i < items.size(); ++i) {
            const PreparedReport::Item& a = items.at(i);
            const PreparedReport::Item& b = expected.at(p).at(i);
            if (a.rect != b.rect || a.text != b.text || a.style != b.style)
                return false;
        }
        return true;
    };
    for (int p = pages - 1; p >= 0; --p)
        QVERIFY2(compare(r, p), qPrintable(u"page %1 backwards"_s.arg(p + 1)));
    for (int p = 0; p < pages; p += 7)
        QVERIFY2(compare(r, p), qPrintable(u"page %1 by sevens"_s.arg(p + 1)));

    PreparedReport copy = r;
    copy.page(0).items[0].text = u"değişti"_s;
    QVERIFY(compare(r, 0));
    QCOMPARE(copy.page(0).items.at(0).text, u"değişti"_s);
    for (int p = 1; p < pages; ++p)
        QVERIFY2(compare(copy, p), qPrintable(u"copy, page %1"_s.arg(p + 1)));

    if (pages >= 100)
        QVERIFY2(r.pageBytes() * 4 < unpackedBytes,
            qPrintable(u"%1 bytes packed for %2 unpacked"_s.arg(r.pageBytes()).arg(unpackedBytes)));
}

QTEST_MAIN(tst_ReportEngine)
#include "tst_reportengine.moc"
