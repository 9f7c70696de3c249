#include "AppFixture.h"
#include "DataSet.h"
#include "Field.h"
#include "PediakayApplication.h"
#include "Screens.h"
#include "TPasswordDlg.h"
#include "TReport.h"
#include "TReportPreview.h"
#include "TfrmMain.h"
#include "Tozluk.h"
#include "Tsicrapor.h"
#include "TsifrelerF.h"

#include <QLineEdit>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Looks at every preview as it comes up and closes it.
class PreviewWatcher final : public TReport::PreviewHandler
{
public:
    PreviewWatcher()
    {
        TReport::setPreviewHandler(this);
    }
    ~PreviewWatcher() override
    {
        TReport::setPreviewHandler(nullptr);
    }

    void previewShown(TReportPreview& preview) override
    {
        ++shown;
        caption = preview.windowTitle();
        report = preview.report();
        preview.close();
    }

    int shown = 0;
    QString caption;
    PreparedReport report;
};

} // namespace

// The layouts as the screens' printing commands call them: data sets found on the screens by
// name, the letterhead of the signed-in user.
class tst_ReportScreens final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layoutsFromTheScreens_data();
    void layoutsFromTheScreens();

private:
    static void seed(AppFixture& app);
    static void signIn(AppFixture& app, const QString& user, const QString& password);
};

void tst_ReportScreens::seed(AppFixture& app)
{
    app.exec(u"INSERT INTO sifre (kullanici, sifre, adi, soyadi, firmaadi, firmaadres, firmatel) VALUES "
             u"('ayse', '1', 'Ayşe', 'Ak', 'Ak Klinik', 'Ak Sok. 1', '111'), "
             u"('mehmet', '2', 'Mehmet', 'Öz', 'Öz Çocuk Polikliniği', 'İstiklal Cad. 9 Beyoğlu', '2129998877')"_s);
    app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, adi2, soyadi, dogumtarihi, evadresi, evtel) VALUES "
             u"('7', 'Elif', 'Naz', 'Şen', '2022-05-01 00:00:00.000', 'Gül Sok. 3', '0216 1'), "
             u"('8', 'Can', NULL, 'Tekin', '2021-01-02 00:00:00.000', 'Lale Sok. 4', '0216 2')"_s);
    app.exec(u"INSERT INTO muayene (hastakodu, tarih, yas, boy, kilo, basc, beslenme, bulgu, \"not\") VALUES "
             u"('7', '2024-01-10 10:00:00.000', 20.09, 80, 11.25, 46, 'anne sütü', 'bulgu yok', 'not bir'), "
             u"('7', '2024-03-10 10:00:00.000', 22.09, 82, 11.8, 46.5, 'ek gıda', 'kızarıklık', 'not iki')"_s);
}

void tst_ReportScreens::signIn(AppFixture& app, const QString& user, const QString& password)
{
    TPasswordDlg* dialog = app.screens().PasswordDlg;
    dialog->findChild<QLineEdit*>(u"kullan"_s)->setText(user);
    dialog->findChild<QLineEdit*>(u"Password"_s)->setText(password);
    dialog->OKBtnClick();
    QVERIFY2(!dialog->isVisible(), qPrintable(app.messages().shownTexts().join(u'|')));
}

void tst_ReportScreens::layoutsFromTheScreens_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("history"); // the report data set is the visit history
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("registry list") << u"sicrapor_liste"_s << u"Lumeko Rapor Önizleme - Çocuk Sicil Kartları"_s << false
                                   << QStringList { u"ÇOCUK SİCİL KARTLARI RAPORU"_s, u"Elif"_s, u"Tekin"_s,
                                          u"Sayfa 1 / 1"_s };
    QTest::newRow("card A") << u"muayene_kart_a"_s << u"Lumeko Rapor Önizleme - Protokol Takip Kartları"_s << false
                            << QStringList { u"GELİŞİM RAPORU"_s, u"Elif Naz Şen"_s, u"7"_s };
    QTest::newRow("card B") << u"muayene_kart_b"_s << u"Lumeko Rapor Önizleme - Hasta Takip Kartları"_s << false
                            << QStringList { u"MUA. TARİHİ"_s, u"Elif Naz Şen"_s };
    QTest::newRow("landscape list") << u"muayene_liste_yatay"_s << u"Lumeko Rapor Önizleme - Protokol Takip Kartları"_s
                                    << true
                                    << QStringList { u"GELİŞİM TAKİP RAPORU"_s, u"10.01.2024"_s, u"10.03.2024"_s,
                                           u"11,25"_s, u"kızarıklık"_s };
    QTest::newRow("portrait list") << u"muayene_liste_dikey"_s << u"Lumeko Rapor Önizleme - Protokol Takip Kartları"_s
                                   << true << QStringList { u"GELİŞİM TAKİP RAPORU"_s, u"22,09"_s, u"MUAYENE"_s };
}

void tst_ReportScreens::layoutsFromTheScreens()
{
    QFETCH(QString, layout);
    QFETCH(QString, title);
    QFETCH(bool, history);
    QFETCH(QStringList, texts);
    AppFixture app(AppFixture::Start::Later);
    app.start();
    seed(app);
    signIn(app, u"mehmet"_s, u"2"_s);
    Screens& s = app.screens();
    s.ozluk->sicilTable->Refresh();
    QVERIFY(s.ozluk->sicilTable->Locate(u"hasta_kodu"_s, u"7"_s, {}));
    DataSet* visits = s.frmMain->muayeneRQuery;
    visits->Close();
    visits->setSQL(u"select * from muayene where hastakodu = '7' order by tarih asc"_s);
    visits->Open();
    if (!s.frmMain->muayeneTable->Active())
        s.frmMain->muayeneTable->Open();
    s.frmMain->muayeneTable->Last();
    DataSet* registry = s.sicrapor->sicrapQuery;
    if (!registry->Active())
        registry->Open();

    ReportBindings bindings(layout.startsWith(u"sicrapor"_s) ? u"sicrapor"_s : u"frmMain"_s);
    if (layout.startsWith(u"sicrapor"_s))
        bindings.bind(u"sicrapQuery"_s, registry);
    if (history)
        bindings.bind(u"frDBDataSet1"_s, s.frmMain->muayeneRSource);
    PreviewWatcher watcher;
    QVERIFY(TReport::Preview(layout, title, bindings));
    QString problems;
    QVERIFY2(app.messages().verifyDone(&problems), qPrintable(problems));
    QCOMPARE(watcher.shown, 1);
    QCOMPARE(watcher.caption, u"Preview - "_s + title);
    const QStringList printed = watcher.report.texts(0);
    for (const QString& t : std::as_const(texts))
        QVERIFY2(printed.contains(t), qPrintable(t + u" not in "_s + printed.join(u'|')));
    // The signed-in user's letterhead on every layout, not that of the account shown before.
    QCOMPARE(s.sifrelerF->sifreTable->FieldByName(u"kullanici"_s)->AsString(), u"mehmet"_s);
    QVERIFY(printed.contains(u"Öz Çocuk Polikliniği"_s));
    QVERIFY(printed.contains(u"İstiklal Cad. 9 Beyoğlu"_s));
    QVERIFY(printed.contains(u"(212) 999 88 77"_s));
    QVERIFY(!printed.contains(u"Ak Klinik"_s));
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_ReportScreens test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reportscreens.moc"
