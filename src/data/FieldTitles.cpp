#include "FieldTitles.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace {

// Titles by "table.field" in lower case; a field shared by several tables under one meaning is
// also found by "*.field".
const QHash<QString, QString>& titles()
{
    static const QHash<QString, QString> all {
        { u"hastasicil.hasta_kodu"_s, u"Çocuk Kodu"_s },
        { u"hastasicil.adi"_s, u"Adı"_s },
        { u"hastasicil.adi2"_s, u"İkinci Adı"_s },
        { u"hastasicil.soyadi"_s, u"Soyadı"_s },
        { u"hastasicil.resim"_s, u"Resim"_s },
        { u"hastasicil.cinsiyeti"_s, u"Cinsiyeti"_s },
        { u"hastasicil.dogumtarihi"_s, u"Doğum Tarihi"_s },
        { u"hastasicil.tckimlik"_s, u"T.C. Kimlik No"_s },
        { u"hastasicil.dogumkilo"_s, u"Doğum Kilosu"_s },
        { u"hastasicil.dogumboy"_s, u"Doğum Boyu"_s },
        { u"hastasicil.dogumbas"_s, u"Doğum Baş Çevresi"_s },
        { u"hastasicil.dogumsekli"_s, u"Doğum Şekli"_s },
        { u"hastasicil.dogumhastahane"_s, u"Doğduğu Hastane"_s },
        { u"hastasicil.kangrubu"_s, u"Kan Grubu"_s },
        { u"hastasicil.alerji"_s, u"Alerji"_s },
        { u"hastasicil.anne"_s, u"Anne Adı"_s },
        { u"hastasicil.annekizlik"_s, u"Annenin Kızlık Soyadı"_s },
        { u"hastasicil.baba"_s, u"Baba Adı"_s },
        { u"hastasicil.meslegi"_s, u"Mesleği"_s },
        { u"hastasicil.sosyalguvku"_s, u"Sosyal Güvence Kurumu"_s },
        { u"hastasicil.sosyalguv"_s, u"Sosyal Güvence No"_s },
        { u"hastasicil.evtel"_s, u"Ev Telefonu"_s },
        { u"hastasicil.istel"_s, u"İş Telefonu"_s },
        { u"hastasicil.ceptel"_s, u"Cep Telefonu"_s },
        { u"hastasicil.fax"_s, u"Faks"_s },
        { u"hastasicil.isyeri"_s, u"İş Yeri"_s },
        { u"hastasicil.evadresi"_s, u"Ev Adresi"_s },
        { u"hastasicil.semt"_s, u"Semt"_s },
        { u"hastasicil.ilce"_s, u"İlçe"_s },
        { u"hastasicil.il"_s, u"İl"_s },
        { u"hastasicil.evpostakodu"_s, u"Ev Posta Kodu"_s },
        { u"hastasicil.isadresi"_s, u"İş Adresi"_s },
        { u"hastasicil.issemt"_s, u"İş Semti"_s },
        { u"hastasicil.isilce"_s, u"İş İlçesi"_s },
        { u"hastasicil.isil"_s, u"İş İli"_s },
        { u"hastasicil.ispostakodu"_s, u"İş Posta Kodu"_s },
        { u"hastasicil.email"_s, u"E-posta"_s },
        { u"hastasicil.web"_s, u"Web Adresi"_s },
        { u"hastasicil.aciklama1"_s, u"Açıklama 1"_s },
        { u"hastasicil.aciklama2"_s, u"Açıklama 2"_s },
        { u"hastasicil.aciklama3"_s, u"Açıklama 3"_s },
        { u"hastasicil.soygecmis"_s, u"Soy Geçmiş"_s },
        { u"hastasicil.ozgecmis"_s, u"Öz Geçmiş"_s },
        { u"hastasicil.dogumhaftasi"_s, u"Doğum Haftası"_s },
        { u"hastasicil.anneboy"_s, u"Anne Boyu"_s },
        { u"hastasicil.bababoy"_s, u"Baba Boyu"_s },
        { u"muayene.tarih"_s, u"Tarih"_s },
        { u"muayene.yas"_s, u"Yaş"_s },
        { u"muayene.boy"_s, u"Boy"_s },
        { u"muayene.kilo"_s, u"Kilo"_s },
        { u"muayene.basc"_s, u"Baş Çevresi"_s },
        { u"muayene.beslenme"_s, u"Beslenme"_s },
        { u"muayene.sikayetbulgu"_s, u"Şikayet"_s },
        { u"muayene.bulgu"_s, u"Bulgu"_s },
        { u"muayene.tani"_s, u"Tanı"_s },
        { u"muayene.tedavi"_s, u"Tedavi"_s },
        { u"muayene.randevuno"_s, u"Randevu No"_s },
        { u"recete.ilackodu"_s, u"İlaç Kodu"_s },
        { u"recete.ilacadi"_s, u"İlaç Adı"_s },
        { u"recete.ilacfirma"_s, u"İlaç Firması"_s },
        { u"recete.doz"_s, u"Doz"_s },
        { u"recete.sure"_s, u"Süre"_s },
        { u"laboratuar.tetkikturu"_s, u"Tetkik Türü"_s },
        { u"laboratuar.tetkiksonucu"_s, u"Tetkik Sonucu"_s },
        { u"laboratuar.detay"_s, u"Detay"_s },
        { u"asitakip.asiadi"_s, u"Aşı Adı"_s },
        { u"asitakip.tarih"_s, u"Tarih"_s },
        { u"asitakip2.asiadi"_s, u"Aşı Adı"_s },
        { u"asitakip2.doz1"_s, u"1. Doz"_s },
        { u"asitakip2.doz2"_s, u"2. Doz"_s },
        { u"asitakip2.doz3"_s, u"3. Doz"_s },
        { u"asitakip2.doz4"_s, u"4. Doz"_s },
        { u"asitakip2.rapel1"_s, u"1. Rapel"_s },
        { u"asitakip2.rapel2"_s, u"2. Rapel"_s },
        { u"asitakip2.tarih"_s, u"Tarih"_s },
        { u"*.hastakodu"_s, u"Çocuk Kodu"_s },
        { u"*.hkodu"_s, u"Çocuk Kodu"_s },
        { u"*.muayeneno"_s, u"Muayene No"_s },
        { u"*.aciklama"_s, u"Açıklama"_s },
        { u"*.not"_s, u"Not"_s },
        { u"*.doktoru"_s, u"Doktoru"_s },
    };
    return all;
}

const QHash<QString, QString>& tableTitles()
{
    static const QHash<QString, QString> all {
        { u"hastasicil"_s, u"Çocuk Kaydı"_s },
        { u"muayene"_s, u"Muayene"_s },
        { u"recete"_s, u"Reçete"_s },
        { u"laboratuar"_s, u"Tetkik"_s },
        { u"laborana"_s, u"Tetkik Türü"_s },
        { u"asitur"_s, u"Aşı Türü"_s },
        { u"asitakip"_s, u"Aşı"_s },
        { u"asitakip2"_s, u"Aşı Kartı"_s },
        { u"sifre"_s, u"Kullanıcı"_s },
        { u"master"_s, u"Ana Şifre"_s },
    };
    return all;
}

} // namespace

QString FieldTitles::of(const QString& table, const QString& field)
{
    const QString name = field.toLower();
    const auto own = titles().constFind(table.toLower() + u'.' + name);
    if (own != titles().cend())
        return *own;
    return titles().value(u"*."_s + name, field);
}

QString FieldTitles::ofTable(const QString& table)
{
    return tableTitles().value(table.toLower(), table);
}
