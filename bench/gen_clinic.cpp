// Writes a synthetic clinic into a database file: children, visits, vaccinations, laboratory
// results and prescription lines with plausible Turkish values. The same seed and counts give
// the same clinic.
//
//   gen_clinic [--out FILE] [--children N] [--visits N] [--vaccinations N] [--labs N]
//              [--prescriptions N] [--photo-share F] [--seed S] [--digest on]

#include "AgeCalculator.h"
#include "BenchSupport.h"
#include "Connection.h"
#include "DataError.h"
#include "Schema.h"
#include "ValueFormats.h"

#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDate>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <random>
#include <unordered_set>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int batchRows = 50000;

// The clinic's "today": the last day any record may carry. Fixed, so the clinic does not depend
// on the day it is generated.
QDate clinicToday()
{
    return QDate(2026, 11, 30);
}

// The child whose history has a known length, and its number of visits.
constexpr qint64 historyChild = 777;
constexpr int historyVisits = 200;
// Second name planted on one child near the end of the registry for the sequential search.
const auto plantedName = u"Gökçen"_s;
constexpr qint64 plantedFromEnd = 50;

// Deterministic random numbers: the engine's raw output is turned into values here, so the
// clinic does not depend on how a library implements its distributions.
class Rng final
{
public:
    explicit Rng(quint64 seed)
        : m_engine(seed)
    { }

    double uniform()
    {
        return double(m_engine() >> 11) * 0x1.0p-53;
    }
    int below(int n)
    {
        return n <= 0 ? 0 : std::min(n - 1, int(uniform() * n));
    }
    int between(int low, int high)
    {
        return low + below(high - low + 1);
    }
    bool chance(double p)
    {
        return uniform() < p;
    }
    double normal()
    {
        if (m_haveSpare) {
            m_haveSpare = false;
            return m_spare;
        }
        double u = 0;
        while (u <= 1e-300)
            u = uniform();
        const double v = uniform();
        const double r = std::sqrt(-2.0 * std::log(u));
        m_spare = r * std::sin(2 * std::numbers::pi * v);
        m_haveSpare = true;
        return r * std::cos(2 * std::numbers::pi * v);
    }
    const QString& pick(const QStringList& list)
    {
        return list.at(below(int(list.size())));
    }

private:
    std::mt19937_64 m_engine;
    bool m_haveSpare = false;
    double m_spare = 0;
};

// --- value lists ----------------------------------------------------------------------------

const QStringList& boyNames()
{
    static const QStringList names {
        u"Ali"_s,
        u"Mehmet"_s,
        u"Mustafa"_s,
        u"Ahmet"_s,
        u"İbrahim"_s,
        u"Çağrı"_s,
        u"Ömer"_s,
        u"Ümit"_s,
        u"Emre"_s,
        u"Burak"_s,
        u"Can"_s,
        u"Cem"_s,
        u"Deniz"_s,
        u"Efe"_s,
        u"Eren"_s,
        u"Yusuf"_s,
        u"Hüseyin"_s,
        u"Hasan"_s,
        u"İsmail"_s,
        u"Kerem"_s,
        u"Kaan"_s,
        u"Mert"_s,
        u"Murat"_s,
        u"Oğuz"_s,
        u"Onur"_s,
        u"Ozan"_s,
        u"Serkan"_s,
        u"Sinan"_s,
        u"Tolga"_s,
        u"Tuna"_s,
        u"Uğur"_s,
        u"Yiğit"_s,
        u"Arda"_s,
        u"Alp"_s,
        u"Baran"_s,
        u"Berk"_s,
        u"Batuhan"_s,
        u"Doruk"_s,
        u"Egemen"_s,
        u"Furkan"_s,
        u"Göktuğ"_s,
        u"Halil"_s,
        u"Ilgaz"_s,
        u"Işık"_s,
        u"Kağan"_s,
        u"Koray"_s,
        u"Mirza"_s,
        u"Poyraz"_s,
        u"Selim"_s,
        u"Şahin"_s,
        u"Şükrü"_s,
        u"Taha"_s,
        u"Utku"_s,
        u"Volkan"_s,
        u"Yağız"_s,
        u"Zafer"_s,
        u"Çınar"_s,
        u"Özgür"_s,
        u"Ülkü"_s,
        u"Aras"_s,
    };
    return names;
}

const QStringList& girlNames()
{
    static const QStringList names {
        u"Ayşe"_s,
        u"Zeynep"_s,
        u"Işıl"_s,
        u"Gülşen"_s,
        u"Şule"_s,
        u"Fatma"_s,
        u"Elif"_s,
        u"Emine"_s,
        u"Hatice"_s,
        u"Merve"_s,
        u"Büşra"_s,
        u"Esra"_s,
        u"Ebru"_s,
        u"Derya"_s,
        u"Deniz"_s,
        u"Defne"_s,
        u"Ecrin"_s,
        u"Eylül"_s,
        u"Asya"_s,
        u"Azra"_s,
        u"Nehir"_s,
        u"Zehra"_s,
        u"Meryem"_s,
        u"Yağmur"_s,
        u"İrem"_s,
        u"İpek"_s,
        u"Ilgın"_s,
        u"Özge"_s,
        u"Öykü"_s,
        u"Ülkü"_s,
        u"Çağla"_s,
        u"Çiğdem"_s,
        u"Şeyma"_s,
        u"Şebnem"_s,
        u"Gizem"_s,
        u"Gül"_s,
        u"Melis"_s,
        u"Melike"_s,
        u"Nilay"_s,
        u"Pınar"_s,
        u"Seda"_s,
        u"Selin"_s,
        u"Sude"_s,
        u"Tuğba"_s,
        u"Tuana"_s,
        u"Yasemin"_s,
        u"Beril"_s,
        u"Cansu"_s,
        u"Damla"_s,
        u"Dilara"_s,
        u"Ela"_s,
        u"Hira"_s,
        u"Lara"_s,
        u"Mina"_s,
        u"Nil"_s,
        u"Rabia"_s,
        u"Sena"_s,
        u"Su"_s,
        u"Ayşegül"_s,
        u"Ümran"_s,
    };
    return names;
}

const QStringList& surnames()
{
    static const QStringList names {
        u"Yılmaz"_s,
        u"Kaya"_s,
        u"Demir"_s,
        u"Çelik"_s,
        u"Şahin"_s,
        u"Öztürk"_s,
        u"Aydın"_s,
        u"Özdemir"_s,
        u"Arslan"_s,
        u"Doğan"_s,
        u"Kılıç"_s,
        u"Aslan"_s,
        u"Çetin"_s,
        u"Kara"_s,
        u"Koç"_s,
        u"Kurt"_s,
        u"Özkan"_s,
        u"Şimşek"_s,
        u"Polat"_s,
        u"Özcan"_s,
        u"Korkmaz"_s,
        u"Erdoğan"_s,
        u"Yıldız"_s,
        u"Yıldırım"_s,
        u"Aktaş"_s,
        u"Güneş"_s,
        u"Bulut"_s,
        u"Keskin"_s,
        u"Ünal"_s,
        u"Güler"_s,
        u"Turan"_s,
        u"Tekin"_s,
        u"Acar"_s,
        u"Aksoy"_s,
        u"Uçar"_s,
        u"Işık"_s,
        u"İnce"_s,
        u"Işıkhan"_s,
        u"Ekinci"_s,
        u"Gündoğdu"_s,
        u"Karaca"_s,
        u"Karataş"_s,
        u"Bozkurt"_s,
        u"Çakır"_s,
        u"Çınar"_s,
        u"Duman"_s,
        u"Erdem"_s,
        u"Eren"_s,
        u"Gök"_s,
        u"Güven"_s,
        u"Kocabaş"_s,
        u"Metin"_s,
        u"Oral"_s,
        u"Önal"_s,
        u"Öz"_s,
        u"Sarı"_s,
        u"Savaş"_s,
        u"Şen"_s,
        u"Taş"_s,
        u"Toprak"_s,
        u"Uysal"_s,
        u"Yavuz"_s,
        u"Yüksel"_s,
        u"Zengin"_s,
        u"Altun"_s,
        u"Avcı"_s,
        u"Baysal"_s,
        u"Cömert"_s,
        u"Dağ"_s,
        u"Ergün"_s,
        u"Göçmen"_s,
        u"Hançer"_s,
        u"İlhan"_s,
        u"Kahraman"_s,
        u"Karakaya"_s,
        u"Özer"_s,
        u"Sönmez"_s,
        u"Tunç"_s,
        u"Uzun"_s,
        u"Yalçın"_s,
    };
    return names;
}

struct District {
    QString il;
    QString ilce;
    QString area; // telephone area code
    int postcode;
    QStringList semts;
};

// Most children live near the practice; a few come from other cities.
const std::vector<District>& districts()
{
    static const std::vector<District> list {
        { u"İstanbul"_s, u"Kadıköy"_s, u"216"_s, 34710,
            { u"Moda"_s, u"Caferağa"_s, u"Fenerbahçe"_s, u"Göztepe"_s, u"Erenköy"_s, u"Suadiye"_s, u"Bostancı"_s,
                u"Acıbadem"_s, u"Koşuyolu"_s } },
        { u"İstanbul"_s, u"Üsküdar"_s, u"216"_s, 34660,
            { u"Altunizade"_s, u"Kuzguncuk"_s, u"Beylerbeyi"_s, u"Çengelköy"_s, u"Kısıklı"_s } },
        { u"İstanbul"_s, u"Ataşehir"_s, u"216"_s, 34750,
            { u"Atatürk"_s, u"Barbaros"_s, u"Küçükbakkalköy"_s, u"İçerenköy"_s } },
        { u"İstanbul"_s, u"Maltepe"_s, u"216"_s, 34840,
            { u"Altayçeşme"_s, u"Bağlarbaşı"_s, u"Cevizli"_s, u"İdealtepe"_s } },
        { u"İstanbul"_s, u"Kartal"_s, u"216"_s, 34860, { u"Kordonboyu"_s, u"Soğanlık"_s, u"Yakacık"_s } },
        { u"İstanbul"_s, u"Pendik"_s, u"216"_s, 34890, { u"Bahçelievler"_s, u"Kaynarca"_s, u"Kurtköy"_s } },
        { u"İstanbul"_s, u"Beşiktaş"_s, u"212"_s, 34353,
            { u"Levent"_s, u"Etiler"_s, u"Ortaköy"_s, u"Bebek"_s, u"Arnavutköy"_s } },
        { u"İstanbul"_s, u"Şişli"_s, u"212"_s, 34360, { u"Nişantaşı"_s, u"Mecidiyeköy"_s, u"Esentepe"_s, u"Fulya"_s } },
        { u"İstanbul"_s, u"Bakırköy"_s, u"212"_s, 34140, { u"Ataköy"_s, u"Yeşilköy"_s, u"Florya"_s } },
        { u"İstanbul"_s, u"Beyoğlu"_s, u"212"_s, 34433, { u"Cihangir"_s, u"Galata"_s, u"Kasımpaşa"_s } },
        { u"İstanbul"_s, u"Sarıyer"_s, u"212"_s, 34460, { u"Tarabya"_s, u"Emirgan"_s, u"Maslak"_s } },
        { u"İstanbul"_s, u"Esenyurt"_s, u"212"_s, 34510, { u"Cumhuriyet"_s, u"Saadetdere"_s } },
        { u"İstanbul"_s, u"Beylikdüzü"_s, u"212"_s, 34520, { u"Adnan Kahveci"_s, u"Gürpınar"_s, u"Yakuplu"_s } },
        { u"Ankara"_s, u"Çankaya"_s, u"312"_s, 6680, { u"Kızılay"_s, u"Bahçelievler"_s, u"Ayrancı"_s, u"Çayyolu"_s } },
        { u"Ankara"_s, u"Keçiören"_s, u"312"_s, 6280, { u"Etlik"_s, u"Aktepe"_s } },
        { u"Ankara"_s, u"Yenimahalle"_s, u"312"_s, 6170, { u"Demetevler"_s, u"Batıkent"_s } },
        { u"İzmir"_s, u"Karşıyaka"_s, u"232"_s, 35530, { u"Bostanlı"_s, u"Mavişehir"_s, u"Alaybey"_s } },
        { u"İzmir"_s, u"Bornova"_s, u"232"_s, 35040, { u"Erzene"_s, u"Kazımdirik"_s } },
        { u"İzmir"_s, u"Konak"_s, u"232"_s, 35250, { u"Alsancak"_s, u"Güzelyalı"_s, u"Göztepe"_s } },
        { u"Bursa"_s, u"Nilüfer"_s, u"224"_s, 16110, { u"Görükle"_s, u"Özlüce"_s, u"Ertuğrul"_s } },
        { u"Bursa"_s, u"Osmangazi"_s, u"224"_s, 16040, { u"Çekirge"_s, u"Hamitler"_s } },
        { u"Antalya"_s, u"Muratpaşa"_s, u"242"_s, 7100, { u"Lara"_s, u"Şirinyalı"_s, u"Meltem"_s } },
        { u"Kocaeli"_s, u"İzmit"_s, u"262"_s, 41100, { u"Yahyakaptan"_s, u"Kuruçeşme"_s } },
        { u"Kocaeli"_s, u"Gebze"_s, u"262"_s, 41400, { u"Osman Yılmaz"_s, u"Mustafapaşa"_s } },
        { u"Adana"_s, u"Seyhan"_s, u"322"_s, 1120, { u"Reşatbey"_s, u"Cemalpaşa"_s } },
    };
    return list;
}

const QStringList& streets()
{
    static const QStringList list {
        u"Bağdat Cad."_s,
        u"Atatürk Cad."_s,
        u"Cumhuriyet Cad."_s,
        u"İstiklal Cad."_s,
        u"Gazi Sok."_s,
        u"Lale Sok."_s,
        u"Menekşe Sok."_s,
        u"Papatya Sok."_s,
        u"Çınar Sok."_s,
        u"Ihlamur Sok."_s,
        u"Şehit Ali Sok."_s,
        u"Kurtuluş Cad."_s,
        u"Gül Sok."_s,
        u"Mimar Sinan Cad."_s,
        u"Özgürlük Cad."_s,
        u"Barış Sok."_s,
        u"Yeşilvadi Sok."_s,
        u"Fatih Cad."_s,
        u"Dr. Esat Işık Cad."_s,
        u"Öğretmen Sok."_s,
    };
    return list;
}

// Medians by age in months for boys: weight (kg), length/height (cm), head circumference (cm).
struct GrowthPoint {
    double months;
    double weight;
    double height;
    double head;
};

const std::vector<GrowthPoint>& growthMedians()
{
    static const std::vector<GrowthPoint> points {
        { 0, 3.3, 50.0, 34.5 },
        { 1, 4.5, 54.7, 37.3 },
        { 2, 5.6, 58.4, 39.1 },
        { 4, 7.0, 63.9, 41.6 },
        { 6, 7.9, 67.6, 43.3 },
        { 9, 8.9, 72.0, 45.0 },
        { 12, 9.6, 75.7, 46.1 },
        { 18, 10.9, 82.3, 47.4 },
        { 24, 12.2, 87.8, 48.3 },
        { 36, 14.3, 96.1, 49.5 },
        { 48, 16.3, 103.3, 50.3 },
        { 60, 18.3, 110.0, 50.8 },
        { 84, 22.4, 121.7, 51.6 },
        { 120, 31.2, 137.8, 52.8 },
        { 144, 39.0, 149.0, 53.6 },
        { 168, 51.0, 163.0, 54.6 },
        { 192, 61.0, 173.5, 55.4 },
        { 216, 67.0, 176.0, 55.8 },
        { 240, 69.0, 177.0, 56.0 },
    };
    return points;
}

GrowthPoint medianAt(double months)
{
    const auto& points = growthMedians();
    if (months <= points.front().months)
        return points.front();
    for (size_t i = 1; i < points.size(); ++i) {
        const GrowthPoint& b = points[i];
        if (months <= b.months) {
            const GrowthPoint& a = points[i - 1];
            const double t = (months - a.months) / (b.months - a.months);
            return { months, a.weight + t * (b.weight - a.weight), a.height + t * (b.height - a.height),
                a.head + t * (b.head - a.head) };
        }
    }
    return points.back();
}

// What a visit was about: complaint, findings, diagnosis and treatment belong together.
struct VisitKind {
    QString complaint;
    QStringList findings;
    QString diagnosis;
    QStringList treatments;
};

const std::vector<VisitKind>& visitKinds()
{
    // The first kind is the check-up of a healthy child.
    static const std::vector<VisitKind> kinds {
        { u"Rutin kontrol"_s, { u"Genel durumu iyi, sistem muayeneleri doğal"_s, u"Büyüme gelişme yaşına uygun"_s },
            u"Sağlam çocuk kontrolü"_s,
            { u"D vitamini 3 damla devam"_s, u"Demir damla başlandı"_s, u"Aşı takvimi hatırlatıldı"_s } },
        { u"Ateş, boğaz ağrısı"_s, { u"Farenks hiperemik, tonsiller hipertrofik"_s, u"Tonsillerde eksuda var"_s },
            u"Akut tonsillofarenjit"_s, { u"Amoksisilin 2x1 10 gün"_s, u"Parasetamol ateş olursa"_s } },
        { u"Burun akıntısı, öksürük"_s, { u"Postnazal akıntı, akciğer sesleri doğal"_s, u"Burun mukozası ödemli"_s },
            u"Üst solunum yolu enfeksiyonu"_s, { u"Bol sıvı, serum fizyolojik"_s, u"Burun spreyi 3x1"_s } },
        { u"Kulak ağrısı, ateş"_s, { u"Sağ kulak zarı hiperemik, bombe"_s, u"Sol kulak zarı hiperemik"_s },
            u"Akut otitis media"_s, { u"Amoksisilin-klavulanat 2x1 10 gün"_s, u"İbuprofen 3x1"_s } },
        { u"İshal, kusma"_s, { u"Batın rahat, barsak sesleri artmış"_s, u"Hafif dehidrate görünümde"_s },
            u"Akut gastroenterit"_s, { u"ORS, probiyotik"_s, u"Bol sıvı, diyet önerildi"_s } },
        { u"Hırıltı, öksürük"_s, { u"Yaygın ronküs ve wheezing"_s, u"Ekspiryum uzamış"_s }, u"Bronşiolit"_s,
            { u"Salbutamol nebul 4x1"_s, u"Serum fizyolojik nebul"_s } },
        { u"Döküntü, ateş"_s, { u"Gövdede makülopapüler döküntü"_s, u"Yaygın veziküler döküntü"_s },
            u"Viral döküntülü hastalık"_s, { u"Antihistaminik şurup 2x1"_s, u"Kalamin losyon"_s } },
        { u"Solukluk, iştahsızlık"_s, { u"Konjonktivalar soluk"_s, u"Genel durumu iyi, solukluk var"_s },
            u"Demir eksikliği anemisi"_s, { u"Demir şurup 1x1 3 ay"_s, u"Kan tahlili istendi"_s } },
        { u"Karın ağrısı"_s, { u"Batın rahat, defans yok"_s, u"Göbek çevresinde hassasiyet"_s },
            u"Fonksiyonel karın ağrısı"_s, { u"Diyet önerildi, kontrol"_s, u"Gaita tetkiki istendi"_s } },
        { u"Gözde kızarıklık, çapak"_s, { u"Bilateral konjonktival hiperemi"_s, u"Sol gözde pürülan akıntı"_s },
            u"Akut konjonktivit"_s, { u"Antibiyotikli göz damlası 4x1"_s, u"Göz temizliği anlatıldı"_s } },
        { u"Sık idrara çıkma, ateş"_s, { u"Kostovertebral açı hassasiyeti yok"_s, u"Suprapubik hassasiyet"_s },
            u"İdrar yolu enfeksiyonu"_s, { u"Sefiksim 1x1 7 gün"_s, u"İdrar kültürü istendi"_s } },
        { u"Kaşıntılı döküntü"_s, { u"Yanaklarda ve fleksör bölgelerde egzamatöz lezyonlar"_s, u"Cilt kuru"_s },
            u"Atopik dermatit"_s, { u"Nemlendirici krem 2x1"_s, u"Hidrokortizon krem 5 gün"_s } },
        { u"Öksürük, ateş, halsizlik"_s, { u"Sağ akciğer alt zonda krepitan raller"_s, u"Takipne var"_s }, u"Pnömoni"_s,
            { u"Amoksisilin 3x1 10 gün, akciğer grafisi"_s, u"Kontrole 2 gün sonra"_s } },
    };
    return kinds;
}

QStringList nutritionFor(double months)
{
    if (months < 6)
        return { u"Anne sütü"_s, u"Anne sütü + formül mama"_s, u"Formül mama"_s, u"Sadece anne sütü"_s };
    if (months < 12)
        return { u"Anne sütü + ek gıda"_s, u"Ek gıdaya başlandı"_s, u"Mama + ek gıda"_s,
            u"Yoğurt, çorba, meyve püresi"_s };
    if (months < 36)
        return { u"Aile sofrasına geçti"_s, u"İnek sütü 500 ml/gün"_s, u"İştahsız"_s, u"Seçici yiyor"_s };
    return { u"Normal beslenme"_s, u"İştahı iyi"_s, u"Seçici yeme"_s, u"Fast food tüketimi fazla"_s };
}

const QStringList& visitNotes()
{
    static const QStringList notes {
        u"Kontrole 3 gün sonra gelecek"_s,
        u"Kan tahlili istendi"_s,
        u"Telefonla bilgi verilecek"_s,
        u"Aşı randevusu verildi"_s,
        u"Aile bilgilendirildi"_s,
        u"Kreşe gidiyor"_s,
        u"Kardeşi de hasta"_s,
        u"Sonuçlarla gelecek"_s,
    };
    return notes;
}

struct Drug {
    QString code;
    QString name;
    QString maker;
};

const std::vector<Drug>& drugs()
{
    static const std::vector<Drug> list {
        { u"8699522705016"_s, u"Augmentin BID 400 mg"_s, u"GlaxoSmithKline"_s },
        { u"8699522705023"_s, u"Klamoks BID 457 mg"_s, u"Deva"_s },
        { u"8699536090115"_s, u"Calpol 120 mg şurup"_s, u"GlaxoSmithKline"_s },
        { u"8699546090122"_s, u"Parol 250 mg şurup"_s, u"Atabay"_s },
        { u"8699809570109"_s, u"Pedifen 100 mg şurup"_s, u"Atabay"_s },
        { u"8699514350118"_s, u"Ventolin nebul 2,5 mg"_s, u"GlaxoSmithKline"_s },
        { u"8699514350125"_s, u"Pulmicort nebul 0,5 mg"_s, u"AstraZeneca"_s },
        { u"8699678010218"_s, u"Aerius şurup"_s, u"Organon"_s },
        { u"8699525090119"_s, u"Zyrtec damla"_s, u"UCB Pharma"_s },
        { u"8699540090112"_s, u"Devit-3 damla"_s, u"Deva"_s },
        { u"8699561570114"_s, u"Ferrum Hausmann şurup"_s, u"Vifor"_s },
        { u"8699516090113"_s, u"Suprax 100 mg süspansiyon"_s, u"Deva"_s },
        { u"8699532090116"_s, u"Macrol 125 mg süspansiyon"_s, u"Abdi İbrahim"_s },
        { u"8699504090118"_s, u"Cipro göz damlası"_s, u"Bilim İlaç"_s },
        { u"8699786090110"_s, u"Floratil saşe"_s, u"Biocodex"_s },
        { u"8699717090114"_s, u"Reflor damla"_s, u"Sanofi"_s },
        { u"8699262090117"_s, u"Hidrokortizon krem"_s, u"Nobel"_s },
        { u"8699559090119"_s, u"Bepanthen krem"_s, u"Bayer"_s },
        { u"8699586090114"_s, u"Otrivine çocuk sprey"_s, u"GSK Tüketici"_s },
        { u"8699828090115"_s, u"Sterimar burun spreyi"_s, u"Sanofi"_s },
        { u"8699591090112"_s, u"Nurofen çocuk şurup"_s, u"Reckitt"_s },
        { u"8699702090119"_s, u"Oral rehidrasyon tozu"_s, u"Koçak Farma"_s },
        { u"8699809090111"_s, u"Sudocrem"_s, u"Teva"_s },
        { u"8699543090117"_s, u"Zinco şurup"_s, u"Abdi İbrahim"_s },
    };
    return list;
}

struct LabType {
    QString name;
    double low; // both zero: a result in words
    double high;
    int decimals;
    QString explanation;
};

const std::vector<LabType>& labTypes()
{
    static const std::vector<LabType> list {
        { u"Hemoglobin"_s, 11.5, 15.5, 1, u"g/dL"_s },
        { u"Hematokrit"_s, 34, 45, 1, u"%"_s },
        { u"Lökosit"_s, 4.5, 13.5, 1, u"bin/mm3"_s },
        { u"Trombosit"_s, 150, 450, 0, u"bin/mm3"_s },
        { u"Ferritin"_s, 7, 140, 0, u"ng/mL"_s },
        { u"Serum Demiri"_s, 50, 120, 0, u"µg/dL"_s },
        { u"CRP"_s, 0, 5, 1, u"mg/L"_s },
        { u"Sedimantasyon"_s, 0, 20, 0, u"mm/saat"_s },
        { u"Glukoz"_s, 70, 100, 0, u"Açlık kan şekeri, mg/dL"_s },
        { u"Üre"_s, 10, 40, 0, u"mg/dL"_s },
        { u"Kreatinin"_s, 0.3, 0.7, 2, u"mg/dL"_s },
        { u"ALT"_s, 5, 45, 0, u"U/L"_s },
        { u"AST"_s, 10, 40, 0, u"U/L"_s },
        { u"TSH"_s, 0.7, 6.4, 2, u"mIU/L"_s },
        { u"Serbest T4"_s, 0.9, 1.7, 2, u"ng/dL"_s },
        { u"D Vitamini"_s, 30, 100, 0, u"25-OH D vitamini, ng/mL"_s },
        { u"B12 Vitamini"_s, 200, 900, 0, u"pg/mL"_s },
        { u"Tam İdrar"_s, 0, 0, 0, u"Tam idrar tahlili"_s },
        { u"Gaitada Parazit"_s, 0, 0, 0, u"Gaita mikroskopisi"_s },
        { u"Boğaz Kültürü"_s, 0, 0, 0, u"A grubu streptokok için"_s },
    };
    return list;
}

struct Vaccine {
    QString name;
    int interval; // days between doses
    int doses;
    QString explanation;
    std::vector<int> ages; // age in days at each dose
};

const std::vector<Vaccine>& vaccines()
{
    static const std::vector<Vaccine> list {
        { u"Hepatit B"_s, 30, 3, u"Doğumda, 1. ve 6. ayda"_s, { 0, 30, 180 } },
        { u"BCG"_s, 0, 1, u"Verem aşısı, 2. ay"_s, { 60 } },
        { u"DaBT-İPA-Hib"_s, 60, 4, u"Beşli karma aşı"_s, { 60, 120, 180, 540 } },
        { u"KPA"_s, 60, 3, u"Konjuge pnömokok aşısı"_s, { 60, 120, 365 } },
        { u"OPA"_s, 365, 2, u"Ağızdan çocuk felci aşısı"_s, { 180, 540 } },
        { u"KKK"_s, 1800, 2, u"Kızamık, kızamıkçık, kabakulak"_s, { 365, 2190 } },
        { u"Suçiçeği"_s, 0, 1, u"12. ay"_s, { 365 } },
        { u"Hepatit A"_s, 180, 2, u"18. ve 24. ay"_s, { 540, 730 } },
        { u"DaBT-İPA"_s, 0, 1, u"İlkokul birinci sınıf"_s, { 2190 } },
        { u"Td"_s, 0, 1, u"Erişkin tip difteri-tetanoz, 13 yaş"_s, { 4745 } },
        { u"Rota"_s, 60, 3, u"Ağızdan, ücretli"_s, { 60, 120, 180 } },
        { u"Meningokok"_s, 60, 2, u"Ücretli"_s, { 365, 425 } },
        { u"İnfluenza"_s, 365, 1, u"Her yıl sonbaharda"_s, { 200, 565, 930, 1295, 1660, 2025 } },
        { u"HPV"_s, 180, 2, u"Ücretli, 9 yaştan sonra"_s, { 3300, 3480 } },
        { u"Hib"_s, 60, 3, u"Tek Hib aşısı"_s, { 60, 120, 180 } },
    };
    return list;
}

// --- writing ----------------------------------------------------------------------------------

QString dateText(const QDate& date, int minuteOfDay = 0)
{
    return ValueFormats::storedDate(date, QTime(minuteOfDay / 60, minuteOfDay % 60));
}

QString decimalText(double value, int decimals)
{
    return QString::number(value, 'f', decimals).replace(u'.', u',');
}

double rounded(double value, double step)
{
    return std::round(value / step) * step;
}

// Inserts rows into one table through one prepared statement, committing every batchRows rows.
// Texts longer than their column are cut to it, so every value stays valid for the screens.
class BulkWriter final
{
public:
    BulkWriter(QSqlDatabase& db, const QString& table, const QStringList& columns)
        : m_db(db)
        , m_table(table)
        , m_query(db)
    {
        const TableDef* def = Schema::table(table);
        if (!def)
            throw DataError(u"unknown table %1"_s.arg(table));
        QStringList quoted;
        for (const QString& column : columns) {
            const FieldDef* field = def->field(column);
            if (!field)
                throw DataError(u"unknown column %1.%2"_s.arg(table, column));
            m_fields.push_back(*field);
            quoted << u'"' + column + u'"';
        }
        const QString sql = u"INSERT INTO \"%1\" (%2) VALUES (%3)"_s.arg(
            table, quoted.join(u", "_s), QStringList(columns.size(), u"?"_s).join(u", "_s));
        if (!m_query.prepare(sql))
            throw DataError(m_query.lastError().text());
        begin();
    }

    void set(int column, const QVariant& value)
    {
        const FieldDef& field = m_fields[size_t(column)];
        if (field.type == FieldType::WideString && field.size > 0 && value.typeId() == QMetaType::QString) {
            const QString text = value.toString();
            if (text.size() > field.size) {
                m_query.bindValue(column, text.left(field.size));
                return;
            }
        }
        m_query.bindValue(column, value);
    }

    void null(int column)
    {
        m_query.bindValue(column, QVariant());
    }

    // Writes the bound row and returns its key.
    qint64 write()
    {
        if (!m_query.exec())
            throw DataError(u"%1: %2"_s.arg(m_table, m_query.lastError().text()));
        ++m_rows;
        if (++m_pending >= batchRows) {
            commit();
            begin();
        }
        return m_query.lastInsertId().toLongLong();
    }

    void finish()
    {
        commit();
    }

    qint64 rows() const
    {
        return m_rows;
    }

private:
    void begin()
    {
        if (!m_db.transaction())
            throw DataError(m_db.lastError().text());
        m_pending = 0;
    }

    void commit()
    {
        if (!m_db.commit())
            throw DataError(m_db.lastError().text());
        m_pending = 0;
    }

    QSqlDatabase& m_db;
    QString m_table;
    QSqlQuery m_query;
    std::vector<FieldDef> m_fields;
    int m_pending = 0;
    qint64 m_rows = 0;
};

void exec(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw DataError(u"%1: %2"_s.arg(sql, q.lastError().text()));
}

// --- the clinic -------------------------------------------------------------------------------

struct Child {
    QDate birth;
    bool boy = false;
    float weightZ = 0; // the child's own percentile, kept through its visits
    float heightZ = 0;
    float headZ = 0;
    int observedDays = 0; // days from birth to the last possible visit
};

struct Visit {
    int child;
    int julianDay;
    qint16 minute;
    quint8 kind;
    quint8 unused = 0;
};

class Generator final
{
public:
    Generator(QSqlDatabase& db, const bench::Options& options)
        : m_db(db)
        , m_rng(quint64(options.number(u"seed"_s, 20261130)))
        , m_childCount(std::max<qint64>(1, options.number(u"children"_s, 100000)))
        , m_visitCount(std::max<qint64>(0, options.number(u"visits"_s, 1000000)))
        , m_vaccinationCount(std::max<qint64>(0, options.number(u"vaccinations"_s, 300000)))
        , m_labCount(std::max<qint64>(0, options.number(u"labs"_s, 200000)))
        , m_prescriptionCount(std::max<qint64>(0, options.number(u"prescriptions"_s, 200000)))
        , m_photoShare(options.real(u"photo-share"_s, 0.10))
    { }

    void run()
    {
        const auto phase = [](const char* name, const std::function<void()>& step) {
            const double start = bench::nowMs();
            step();
            bench::print(
                u"  %1: %2 s"_s.arg(QLatin1StringView(name)).arg((bench::nowMs() - start) / 1000.0, 0, 'f', 1));
        };
        phase("photos", [this] { makePhotos(); });
        phase("catalogues and accounts", [this] { writeCatalogues(); });
        phase("children", [this] { writeChildren(); });
        phase("visit plan", [this] { planVisits(); });
        phase("visits", [this] { writeVisits(); });
        phase("vaccinations", [this] { writeVaccinations(); });
        phase("laboratory results", [this] { writeLabResults(); });
        phase("prescription lines", [this] { writePrescriptions(); });
    }

private:
    QString code(int child) const
    {
        return QString::number(child + 1);
    }

    // A few portrait-sized JPEGs of about 40 KB; noise keeps the encoder from shrinking them.
    void makePhotos()
    {
        if (m_photoShare <= 0)
            return;
        for (int variant = 0; variant < 6; ++variant) {
            QImage image(240, 320, QImage::Format_RGB32);
            const int hue = 20 + variant * 50;
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x) {
                    const double dx = (x - 120) / 80.0;
                    const double dy = (y - 140) / 105.0;
                    const bool face = dx * dx + dy * dy < 1.0;
                    const int noise = m_rng.between(-28, 28);
                    const QColor base
                        = face ? QColor::fromHsv(25, 90, 220) : QColor::fromHsv(hue % 360, 70, 120 + y / 4);
                    line[x] = qRgb(std::clamp(base.red() + noise, 0, 255), std::clamp(base.green() + noise, 0, 255),
                        std::clamp(base.blue() + noise, 0, 255));
                }
            }
            // The quality that comes closest to 40 KB.
            QByteArray best;
            int low = 5;
            int high = 95;
            while (low <= high) {
                const int quality = (low + high) / 2;
                const QByteArray bytes = jpeg(image, quality);
                if (best.isEmpty() || std::abs(bytes.size() - 40960) < std::abs(best.size() - 40960))
                    best = bytes;
                if (bytes.size() < 40960)
                    low = quality + 1;
                else
                    high = quality - 1;
            }
            m_photos.push_back(best);
        }
    }

    static QByteArray jpeg(const QImage& image, int quality)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpg");
        writer.setQuality(quality);
        if (!writer.write(image))
            throw DataError(u"JPEG: %1"_s.arg(writer.errorString()));
        return bytes;
    }

    int count(const QString& table)
    {
        QSqlQuery q(m_db);
        if (!q.exec(u"SELECT count(*) FROM \"%1\""_s.arg(table)) || !q.next())
            throw DataError(q.lastError().text());
        return q.value(0).toInt();
    }

    void writeCatalogues()
    {
        if (count(u"laborana"_s) == 0)
            writeLabTypes();
        if (count(u"asitur"_s) == 0)
            writeVaccineKinds();
        if (count(u"sifre"_s) == 0)
            writeAccounts();
        if (count(u"master"_s) == 0)
            exec(m_db, u"INSERT INTO master (mids) VALUES ('9999')"_s);
    }

    void writeLabTypes()
    {
        BulkWriter types(m_db, u"laborana"_s, { u"tetkikturu"_s, u"normaldegalt"_s, u"normaldegust"_s, u"aciklama"_s });
        for (const LabType& type : labTypes()) {
            types.set(0, type.name);
            if (type.low == 0 && type.high == 0) {
                types.set(1, u"Negatif"_s);
                types.set(2, u"Negatif"_s);
            } else {
                types.set(1, decimalText(type.low, type.decimals));
                types.set(2, decimalText(type.high, type.decimals));
            }
            types.set(3, type.explanation);
            types.write();
        }
        types.finish();
    }

    void writeVaccineKinds()
    {
        BulkWriter kinds(m_db, u"asitur"_s, { u"asiadi"_s, u"asiaraligi"_s, u"asiadedi"_s, u"aciklama"_s });
        for (const Vaccine& vaccine : vaccines()) {
            kinds.set(0, vaccine.name);
            kinds.set(1, vaccine.interval);
            kinds.set(2, vaccine.doses);
            kinds.set(3, vaccine.explanation);
            kinds.write();
        }
        kinds.finish();
    }

    void writeAccounts()
    {
        BulkWriter users(m_db, u"sifre"_s,
            { u"kullanici"_s, u"sifre"_s, u"adi"_s, u"soyadi"_s, u"firmaadi"_s, u"firmaadres"_s, u"firmatel"_s,
                u"firmafax"_s });
        const QList<QStringList> accounts {
            { u"zeynep"_s, u"1234"_s, u"Zeynep"_s, u"Aydın"_s },
            { u"mehmet"_s, u"4321"_s, u"Mehmet"_s, u"Öztürk"_s },
        };
        for (const QStringList& account : accounts) {
            for (int i = 0; i < 4; ++i)
                users.set(i, account.at(i));
            users.set(4, u"Çocuk Sağlığı ve Hastalıkları Muayenehanesi"_s);
            users.set(5, u"Bağdat Cad. No:215 D:4 Caddebostan Kadıköy İstanbul"_s);
            users.set(6, u"2165551234"_s);
            users.set(7, u"2165551235"_s);
            users.write();
        }
        users.finish();
    }

    QString phone(const QString& area)
    {
        return u"(%1) %2 %3 %4"_s.arg(area)
            .arg(m_rng.between(200, 999))
            .arg(m_rng.between(10, 99))
            .arg(m_rng.between(10, 99));
    }

    QString mobile()
    {
        static const QStringList prefixes { u"532"_s, u"533"_s, u"535"_s, u"542"_s, u"505"_s, u"506"_s, u"555"_s,
            u"544"_s };
        return phone(m_rng.pick(prefixes));
    }

    // A valid-looking national identity number (the two check digits computed as the registry does).
    double identityNumber()
    {
        int d[11];
        d[0] = m_rng.between(1, 9);
        for (int i = 1; i < 9; ++i)
            d[i] = m_rng.below(10);
        const int odd = d[0] + d[2] + d[4] + d[6] + d[8];
        const int even = d[1] + d[3] + d[5] + d[7];
        d[9] = ((odd * 7 - even) % 10 + 10) % 10;
        int sum = 0;
        for (int i = 0; i < 10; ++i)
            sum += d[i];
        d[10] = sum % 10;
        double value = 0;
        for (int digit : d)
            value = value * 10 + digit;
        return value;
    }

    static QString ascii(const QString& text)
    {
        static const QString from = u"çğıöşüÇĞİÖŞÜ"_s;
        static const QString to = u"cgiosuCGIOSU"_s;
        QString out;
        for (QChar c : text) {
            const qsizetype i = from.indexOf(c);
            out += i >= 0 ? to.at(i) : c;
        }
        return out.toLower();
    }

    void writeChildren()
    {
        const QStringList columns {
            u"hasta_kodu"_s,
            u"adi"_s,
            u"adi2"_s,
            u"soyadi"_s,
            u"resim"_s,
            u"cinsiyeti"_s,
            u"dogumtarihi"_s,
            u"tckimlik"_s,
            u"dogumkilo"_s,
            u"dogumboy"_s,
            u"dogumbas"_s,
            u"dogumsekli"_s,
            u"dogumhastahane"_s,
            u"kangrubu"_s,
            u"alerji"_s,
            u"anne"_s,
            u"annekizlik"_s,
            u"baba"_s,
            u"meslegi"_s,
            u"sosyalguvku"_s,
            u"sosyalguv"_s,
            u"evtel"_s,
            u"istel"_s,
            u"ceptel"_s,
            u"fax"_s,
            u"isyeri"_s,
            u"evadresi"_s,
            u"semt"_s,
            u"ilce"_s,
            u"il"_s,
            u"evpostakodu"_s,
            u"isadresi"_s,
            u"issemt"_s,
            u"isilce"_s,
            u"isil"_s,
            u"ispostakodu"_s,
            u"email"_s,
            u"web"_s,
            u"aciklama1"_s,
            u"aciklama2"_s,
            u"aciklama3"_s,
            u"doktoru"_s,
            u"soygecmis"_s,
            u"ozgecmis"_s,
        };
        static const QStringList deliveries { u"Normal"_s, u"Sezaryen"_s, u"Normal"_s, u"Sezaryen"_s, u"Vakum"_s };
        static const QStringList hospitals {
            u"Zeynep Kamil"_s,
            u"Acıbadem Kadıköy"_s,
            u"Şişli Etfal"_s,
            u"Amerikan Hastanesi"_s,
            u"Cerrahpaşa"_s,
            u"Memorial Ataşehir"_s,
            u"Koru Hastanesi"_s,
            u"Medicana Çamlıca"_s,
            u"Süleymaniye Doğumevi"_s,
            u"Göztepe SEAH"_s,
            u"Florence Nightingale"_s,
            u"Liv Hospital"_s,
        };
        static const QStringList bloodGroups { u"0 Rh(+)"_s, u"A Rh(+)"_s, u"B Rh(+)"_s, u"AB Rh(+)"_s, u"0 Rh(-)"_s,
            u"A Rh(-)"_s, u"B Rh(-)"_s, u"AB Rh(-)"_s, u"A Rh(+)"_s, u"0 Rh(+)"_s, u"A Rh(+)"_s, u"0 Rh(+)"_s };
        static const QStringList allergies { u"Penisilin"_s, u"Yumurta"_s, u"İnek sütü proteini"_s, u"Fıstık"_s,
            u"Ev tozu, polen"_s, u"Sefalosporin"_s, u"Çilek, domates"_s };
        static const QStringList occupations { u"Mühendis"_s, u"Öğretmen"_s, u"Doktor"_s, u"Avukat"_s, u"Memur"_s,
            u"Serbest"_s, u"Esnaf"_s, u"Mimar"_s, u"Bankacı"_s, u"Muhasebeci"_s, u"İşçi"_s, u"Polis"_s, u"Hemşire"_s };
        static const QStringList insurers { u"SGK"_s, u"SGK"_s, u"SGK"_s, u"Özel Sigorta"_s, u"Emekli Sandığı"_s,
            u"Bağ-Kur"_s, u"Yok"_s };
        static const QStringList workplaces { u"Koç Holding"_s, u"Türk Telekom"_s, u"Garanti BBVA"_s, u"Serbest"_s,
            u"Devlet Hastanesi"_s, u"Milli Eğitim"_s, u"Belediye"_s, u"Arçelik"_s, u"THY"_s, u"Kendi işyeri"_s,
            u"Ziraat Bankası"_s };
        static const QStringList mailHosts { u"gmail.com"_s, u"hotmail.com"_s, u"yahoo.com"_s, u"mynet.com"_s };
        static const QStringList notes { u"Prematüre doğum"_s, u"İkiz kardeşi var"_s, u"Kardeşi de takipte"_s,
            u"Adres değişti"_s, u"Özel sigortalı"_s, u"Randevuya geç kalıyor"_s };
        static const QStringList addressMore { u"Kat:3 Daire:12"_s, u"Lale Sitesi B Blok"_s, u"Çamlık Evleri D:7"_s,
            u"Güneş Apt. Kat:2"_s, u"Deniz Konutları A Blok"_s };
        static const QStringList familyHistory { u"Annede astım"_s, u"Babada alerjik rinit"_s, u"Ailede diyabet"_s,
            u"Babaannede hipertansiyon"_s, u"Ailede özellik yok"_s, u"Annede tiroid hastalığı"_s };
        static const QStringList personalHistory { u"Yenidoğan sarılığı, fototerapi aldı"_s,
            u"Febril konvülsiyon öyküsü"_s, u"Bronşiolit geçirdi"_s, u"Prematüre, 34 hafta"_s, u"Kuvöz bakımı 5 gün"_s,
            u"Kasık fıtığı ameliyatı"_s, u"Özellik yok"_s };
        const auto& places = districts();

        BulkWriter w(m_db, u"hastasicil"_s, columns);
        const int startDay = int(QDate(2005, 1, 1).toJulianDay());
        const int endDay = int(clinicToday().addMonths(-1).toJulianDay());
        const QDate today = clinicToday();
        // Each column is filled in its own share of the records.
        const auto maybe
            = [this](double share, const QVariant& value) { return m_rng.chance(share) ? value : QVariant(); };
        m_children.resize(size_t(m_childCount));
        for (int i = 0; i < int(m_childCount); ++i) {
            Child& child = m_children[size_t(i)];
            child.boy = m_rng.chance(0.51);
            child.birth = QDate::fromJulianDay(m_rng.between(startDay, endDay));
            if (i + 1 == historyChild)
                child.birth = QDate(2010, 5, 14); // old enough for a long history
            child.weightZ = float(std::clamp(m_rng.normal(), -2.5, 2.5));
            child.heightZ = float(std::clamp(0.6 * child.weightZ + 0.8 * m_rng.normal(), -2.5, 2.5));
            child.headZ = float(std::clamp(0.4 * child.heightZ + 0.9 * m_rng.normal(), -2.5, 2.5));
            child.observedDays
                = int(std::min(child.birth.addYears(18), today).toJulianDay() - child.birth.toJulianDay());

            const QStringList& names = child.boy ? boyNames() : girlNames();
            const QString surname = m_rng.pick(surnames());
            const QString name = m_rng.pick(names);
            QString second;
            if (m_rng.chance(0.2)) {
                second = m_rng.pick(names);
                if (second == name)
                    second.clear();
            }
            if (m_childCount > 2 * plantedFromEnd && i == int(m_childCount - plantedFromEnd))
                second = plantedName;
            const District& home
                = places[size_t(m_rng.chance(0.85) ? m_rng.below(13) : m_rng.below(int(places.size())))];
            const QString father = m_rng.pick(boyNames());
            const QString mother = m_rng.pick(girlNames());

            int c = 0;
            w.set(c++, code(i));
            w.set(c++, name);
            w.set(c++, second.isEmpty() ? QVariant() : QVariant(second));
            w.set(c++, surname);
            if (!m_photos.empty() && m_rng.chance(m_photoShare))
                w.set(c++, m_photos[size_t(m_rng.below(int(m_photos.size())))]);
            else
                w.null(c++);
            w.set(c++, child.boy ? u"Erkek"_s : u"Kız"_s);
            w.set(c++, dateText(child.birth));
            w.set(c++, maybe(0.75, identityNumber()));
            const bool birthData = m_rng.chance(0.9);
            const double birthWeight = std::clamp((child.boy ? 3.3 : 3.2) + 0.45 * m_rng.normal(), 1.6, 5.0);
            const double birthLength = std::clamp((child.boy ? 50.0 : 49.3) + 2.0 * m_rng.normal(), 42.0, 56.0);
            const double birthHead = std::clamp((child.boy ? 34.6 : 34.0) + 1.3 * m_rng.normal(), 30.0, 38.0);
            w.set(c++, birthData ? QVariant(rounded(birthWeight, 0.01)) : QVariant());
            w.set(c++, birthData ? QVariant(rounded(birthLength, 0.5)) : QVariant());
            w.set(c++, birthData && m_rng.chance(0.85) ? QVariant(rounded(birthHead, 0.5)) : QVariant());
            w.set(c++, maybe(0.85, m_rng.pick(deliveries)));
            w.set(c++, maybe(0.7, m_rng.pick(hospitals)));
            w.set(c++, maybe(0.6, m_rng.pick(bloodGroups)));
            w.set(c++, maybe(0.12, m_rng.pick(allergies)));
            w.set(c++, mother);
            w.set(c++, maybe(0.6, m_rng.pick(surnames())));
            w.set(c++, father);
            w.set(c++, maybe(0.8, m_rng.pick(occupations)));
            w.set(c++, maybe(0.85, m_rng.pick(insurers)));
            const double insuranceNumber = double(m_rng.between(100000000, 999999999)) * 100;
            w.set(c++, maybe(0.5, insuranceNumber + m_rng.below(100)));
            w.set(c++, maybe(0.7, phone(home.area)));
            w.set(c++, maybe(0.4, phone(home.area)));
            w.set(c++, maybe(0.9, mobile()));
            w.set(c++, maybe(0.05, phone(home.area)));
            const bool work = m_rng.chance(0.5);
            w.set(c++, work ? QVariant(m_rng.pick(workplaces)) : QVariant());
            w.set(c++,
                u"%1 No:%2 D:%3"_s.arg(m_rng.pick(streets())).arg(m_rng.between(1, 250)).arg(m_rng.between(1, 24)));
            w.set(c++, m_rng.pick(home.semts));
            w.set(c++, home.ilce);
            w.set(c++, home.il);
            w.set(c++, maybe(0.6, home.postcode + m_rng.below(10) * 10));
            if (work && m_rng.chance(0.6)) {
                const District& office = places[size_t(m_rng.below(int(places.size())))];
                w.set(c++, u"%1 No:%2"_s.arg(m_rng.pick(streets())).arg(m_rng.between(1, 300)));
                w.set(c++, m_rng.pick(office.semts));
                w.set(c++, office.ilce);
                w.set(c++, office.il);
                w.set(c++, maybe(0.5, office.postcode + m_rng.below(10) * 10));
            } else {
                for (int k = 0; k < 5; ++k)
                    w.null(c++);
            }
            w.set(c++, maybe(0.4, u"%1.%2@%3"_s.arg(ascii(mother), ascii(surname), m_rng.pick(mailHosts))));
            w.set(c++, maybe(0.02, u"www.%1.com.tr"_s.arg(ascii(surname))));
            w.set(c++, maybe(0.1, m_rng.pick(notes)));
            w.set(c++, maybe(0.15, m_rng.pick(addressMore)));
            w.set(c++, maybe(0.05, m_rng.pick(addressMore)));
            w.set(c++, m_rng.chance(0.8) ? u"Zeynep Aydın"_s : u"Mehmet Öztürk"_s);
            w.set(c++, maybe(0.2, m_rng.pick(familyHistory)));
            w.set(c++, maybe(0.25, m_rng.pick(personalHistory)));
            w.write();
        }
        w.finish();
        m_rowCounts << u"hastasicil %1"_s.arg(w.rows());
    }

    // Decides how many visits each child has (a few children have very many), then the day and
    // time of each visit, younger ages being more frequent.
    void planVisits()
    {
        const size_t n = m_children.size();
        std::vector<qint64> counts(n, 0);
        std::vector<qint64> capacity(n, 0);
        std::vector<double> weights(n, 0);
        const size_t history = size_t(historyChild - 1);
        const bool withHistory = n > history && m_visitCount >= historyVisits;
        qint64 rest = m_visitCount;
        if (withHistory) {
            counts[history] = historyVisits;
            rest -= historyVisits;
        }
        double weightSum = 0;
        qint64 capacitySum = 0;
        for (size_t i = 0; i < n; ++i) {
            if (withHistory && i == history)
                continue;
            const Child& child = m_children[i];
            capacity[i] = std::min<qint64>(600, child.observedDays / 4);
            const double observed = std::clamp(child.observedDays / 2190.0, 0.05, 1.5);
            weights[i] = std::exp(1.1 * m_rng.normal()) * observed;
            weightSum += weights[i];
            capacitySum += capacity[i];
        }
        rest = std::min(rest, capacitySum);
        qint64 given = 0;
        for (size_t i = 0; i < n && weightSum > 0; ++i) {
            if (withHistory && i == history)
                continue;
            counts[i] = std::min(capacity[i], qint64(double(rest) * weights[i] / weightSum));
            given += counts[i];
        }
        while (given < rest) {
            const size_t i = size_t(m_rng.below(int(n)));
            if ((withHistory && i == history) || counts[i] >= capacity[i])
                continue;
            ++counts[i];
            ++given;
        }

        m_visits.reserve(size_t(given) + (withHistory ? historyVisits : 0));
        for (size_t i = 0; i < n; ++i) {
            const Child& child = m_children[i];
            const int birthDay = int(child.birth.toJulianDay());
            for (qint64 k = 0; k < counts[i]; ++k) {
                const int span = std::max(1, child.observedDays - 2);
                int offset = 2 + int(span * std::pow(m_rng.uniform(), 1.6));
                if (QDate::fromJulianDay(birthDay + offset).dayOfWeek() == 7) // closed on Sundays
                    offset += offset + 1 <= child.observedDays ? 1 : -1;
                const double months = offset / 30.4375;
                const double checkUpShare = months < 24 ? 0.45 : 0.2;
                const int kind = m_rng.chance(checkUpShare) ? 0 : m_rng.between(1, int(visitKinds().size()) - 1);
                m_visits.push_back({ int(i), birthDay + offset, qint16(9 * 60 + m_rng.below(60) * 10), quint8(kind) });
            }
        }
        // Visits are stored in the order they happened, as in a real practice.
        std::stable_sort(m_visits.begin(), m_visits.end(), [](const Visit& a, const Visit& b) {
            if (a.julianDay != b.julianDay)
                return a.julianDay < b.julianDay;
            if (a.minute != b.minute)
                return a.minute < b.minute;
            return a.child < b.child;
        });
    }

    void writeVisits()
    {
        BulkWriter w(m_db, u"muayene"_s,
            { u"hastakodu"_s, u"tarih"_s, u"yas"_s, u"boy"_s, u"kilo"_s, u"basc"_s, u"beslenme"_s, u"sikayetbulgu"_s,
                u"bulgu"_s, u"tani"_s, u"tedavi"_s, u"not"_s, u"doktoru"_s });
        const auto& kinds = visitKinds();
        for (size_t v = 0; v < m_visits.size(); ++v) {
            const Visit& visit = m_visits[v];
            const Child& child = m_children[size_t(visit.child)];
            const QDate day = QDate::fromJulianDay(visit.julianDay);
            const double months = double(visit.julianDay - child.birth.toJulianDay()) / 30.4375;
            const GrowthPoint median = medianAt(months);
            const double girl = child.boy ? 1.0 : 0.0;
            const double weight
                = median.weight * (1 - 0.04 * (1 - girl)) * std::exp(0.11 * child.weightZ + 0.025 * m_rng.normal());
            const double height
                = median.height * (1 - 0.015 * (1 - girl)) * (1 + 0.035 * child.heightZ + 0.004 * m_rng.normal());
            const double head
                = median.head * (1 - 0.02 * (1 - girl)) * (1 + 0.025 * child.headZ + 0.005 * m_rng.normal());
            const bool checkUp = visit.kind == 0;
            const VisitKind& kind = kinds[visit.kind];

            const qint64 key = w.rows();
            w.set(0, code(visit.child));
            w.set(1, dateText(day, visit.minute));
            w.set(2, AgeCalculator::compute(child.birth, day).value);
            w.set(3, checkUp || m_rng.chance(0.35) ? QVariant(rounded(height, 0.1)) : QVariant());
            w.set(4, checkUp || m_rng.chance(0.85) ? QVariant(rounded(weight, months < 24 ? 0.01 : 0.1)) : QVariant());
            w.set(5, months < 36 && (checkUp || m_rng.chance(0.3)) ? QVariant(rounded(head, 0.1)) : QVariant());
            w.set(6, months < 36 || m_rng.chance(0.4) ? QVariant(m_rng.pick(nutritionFor(months))) : QVariant());
            w.set(7, kind.complaint);
            w.set(8, m_rng.pick(kind.findings));
            w.set(9, kind.diagnosis);
            w.set(10, m_rng.pick(kind.treatments));
            w.set(11, m_rng.chance(0.15) ? QVariant(m_rng.pick(visitNotes())) : QVariant());
            w.set(12, m_rng.chance(0.8) ? u"Zeynep Aydın"_s : u"Mehmet Öztürk"_s);
            const qint64 mid = w.write();
            if (key == 0)
                m_firstVisitKey = mid;
            else if (mid != m_firstVisitKey + key)
                throw DataError(u"visit keys are not consecutive"_s);
        }
        w.finish();
        m_rowCounts << u"muayene %1"_s.arg(w.rows());
    }

    void writeVaccinations()
    {
        static const QStringList sites { u"Sol kol"_s, u"Sağ kol"_s, u"Sol uyluk"_s, u"Sağ uyluk"_s, u"Ağızdan"_s };
        static const QStringList notes { u"Ateş yaptı"_s, u"Ücretli aşı"_s, u"Dış merkezde yapıldı"_s,
            u"Hafif kızarıklık oldu"_s };
        struct Shot {
            int child;
            int julianDay;
            quint8 vaccine;
        };
        std::vector<Shot> shots;
        shots.reserve(size_t(m_vaccinationCount));
        const auto& list = vaccines();
        const int today = int(clinicToday().toJulianDay());
        std::unordered_set<quint64> given; // each dose once per child
        qint64 attempts = 0;
        while (qint64(shots.size()) < m_vaccinationCount && attempts++ < 50 * m_vaccinationCount + 1000) {
            const int child = m_rng.below(int(m_children.size()));
            const int vaccine = m_rng.below(int(list.size()));
            const std::vector<int>& ages = list[size_t(vaccine)].ages;
            const int dose = m_rng.below(int(ages.size()));
            const int day = int(m_children[size_t(child)].birth.toJulianDay()) + ages[size_t(dose)] + m_rng.below(21);
            if (day > today || !given.insert((quint64(child) << 16) | quint64(vaccine << 8) | quint64(dose)).second)
                continue;
            shots.push_back({ child, day, quint8(vaccine) });
        }
        std::stable_sort(
            shots.begin(), shots.end(), [](const Shot& a, const Shot& b) { return a.julianDay < b.julianDay; });

        BulkWriter w(m_db, u"asitakip"_s, { u"hkodu"_s, u"asiadi"_s, u"tarih"_s, u"aciklama"_s, u"not"_s });
        for (const Shot& shot : shots) {
            w.set(0, code(shot.child));
            w.set(1, list[shot.vaccine].name);
            w.set(2, dateText(QDate::fromJulianDay(shot.julianDay)));
            w.set(3, m_rng.chance(0.3) ? QVariant(m_rng.pick(sites)) : QVariant());
            w.set(4, m_rng.chance(0.05) ? QVariant(m_rng.pick(notes)) : QVariant());
            w.write();
        }
        w.finish();
        m_rowCounts << u"asitakip %1"_s.arg(w.rows());
    }

    // Visits that get results or prescription lines, several lines each, in visit order.
    std::vector<std::pair<int, int>> linesPerVisit(qint64 total, int maxPerVisit, int choices, bool sickOnly)
    {
        std::vector<std::pair<int, int>> lines; // visit index, choice
        if (m_visits.empty())
            return lines;
        lines.reserve(size_t(total));
        while (qint64(lines.size()) < total) {
            const int visit = m_rng.below(int(m_visits.size()));
            if (sickOnly && m_visits[size_t(visit)].kind == 0 && m_rng.chance(0.8))
                continue;
            const int count = m_rng.between(1, maxPerVisit);
            const int first = m_rng.below(choices);
            for (int k = 0; k < count && qint64(lines.size()) < total; ++k)
                lines.emplace_back(visit, (first + k * 7) % choices);
        }
        std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        return lines;
    }

    void writeLabResults()
    {
        static const QStringList words { u"Negatif"_s, u"Negatif"_s, u"Negatif"_s, u"Pozitif"_s, u"Üreme yok"_s };
        static const QStringList details { u"Tok karnına alındı"_s, u"Hemolizli örnek"_s, u"Tekrarı istendi"_s,
            u"Dış laboratuvar sonucu"_s };
        const auto& types = labTypes();
        BulkWriter w(m_db, u"laboratuar"_s,
            { u"muayeneno"_s, u"hastakodu"_s, u"tetkikturu"_s, u"tetkiksonucu"_s, u"aciklama"_s, u"detay"_s });
        for (const auto& [visit, choice] : linesPerVisit(m_labCount, 5, int(types.size()), false)) {
            const LabType& type = types[size_t(choice)];
            w.set(0, m_firstVisitKey + visit);
            w.set(1, code(m_visits[size_t(visit)].child));
            w.set(2, type.name);
            QVariant note;
            if (type.low == 0 && type.high == 0) {
                const QString word = m_rng.pick(words);
                w.set(3, word);
                if (word == u"Pozitif"_s)
                    note = u"Tedavi başlandı"_s;
            } else {
                const double width = type.high - type.low;
                const double value = std::max(0.0, type.low + width * (0.5 + 0.32 * m_rng.normal()));
                w.set(3, decimalText(value, type.decimals));
                if (value > type.high)
                    note = u"Yüksek"_s;
                else if (value < type.low)
                    note = u"Düşük"_s;
            }
            w.set(4, note);
            w.set(5, m_rng.chance(0.05) ? QVariant(m_rng.pick(details)) : QVariant());
            w.write();
        }
        w.finish();
        m_rowCounts << u"laboratuar %1"_s.arg(w.rows());
    }

    void writePrescriptions()
    {
        static const QStringList notes { u"Tok karnına"_s, u"Ateş olursa"_s, u"Sabah akşam"_s, u"Yatmadan önce"_s,
            u"Çalkalayarak"_s };
        static const int durations[] = { 3, 5, 7, 10, 14, 30 };
        const auto& list = drugs();
        BulkWriter w(m_db, u"recete"_s,
            { u"muayeneno"_s, u"hastakodu"_s, u"ilackodu"_s, u"ilacadi"_s, u"ilacfirma"_s, u"doz"_s, u"sure"_s,
                u"not"_s });
        for (const auto& [visit, choice] : linesPerVisit(m_prescriptionCount, 4, int(list.size()), true)) {
            const Drug& drug = list[size_t(choice)];
            w.set(0, m_firstVisitKey + visit);
            w.set(1, code(m_visits[size_t(visit)].child));
            w.set(2, drug.code);
            w.set(3, drug.name);
            w.set(4, drug.maker);
            w.set(5, m_rng.between(1, 3));
            w.set(6, durations[m_rng.below(6)]);
            w.set(7, m_rng.chance(0.4) ? QVariant(m_rng.pick(notes)) : QVariant());
            w.write();
        }
        w.finish();
        m_rowCounts << u"recete %1"_s.arg(w.rows());
    }

public:
    QStringList rowCounts() const
    {
        return m_rowCounts;
    }
    qsizetype photoCount() const
    {
        return qsizetype(m_photos.size());
    }
    qint64 photoBytes() const
    {
        return m_photos.empty() ? 0 : m_photos.front().size();
    }

private:
    QSqlDatabase& m_db;
    Rng m_rng;
    qint64 m_childCount;
    qint64 m_visitCount;
    qint64 m_vaccinationCount;
    qint64 m_labCount;
    qint64 m_prescriptionCount;
    double m_photoShare;

    std::vector<QByteArray> m_photos;
    std::vector<Child> m_children;
    std::vector<Visit> m_visits;
    qint64 m_firstVisitKey = 1;
    QStringList m_rowCounts;
};

// SHA-1 over every generated row, for comparing two runs.
QString contentDigest(QSqlDatabase& db)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const QStringList tables { u"hastasicil"_s, u"muayene"_s, u"asitakip"_s, u"laboratuar"_s, u"recete"_s,
        u"laborana"_s, u"asitur"_s, u"sifre"_s, u"master"_s };
    for (const QString& table : tables) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(u"SELECT * FROM \"%1\" ORDER BY rowid"_s.arg(table)))
            throw DataError(q.lastError().text());
        hash.addData(table.toUtf8());
        while (q.next()) {
            const int columns = q.record().count();
            for (int c = 0; c < columns; ++c) {
                const QVariant v = q.value(c);
                if (v.isNull())
                    hash.addData(QByteArrayView("\x01N", 2));
                else if (v.typeId() == QMetaType::QByteArray)
                    hash.addData(v.toByteArray());
                else
                    hash.addData(v.toString().toUtf8());
                hash.addData(QByteArrayView("\x00", 1));
            }
        }
    }
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bench::Options options(app.arguments(),
        { u"out"_s, u"children"_s, u"visits"_s, u"vaccinations"_s, u"labs"_s, u"prescriptions"_s, u"photo-share"_s,
            u"seed"_s, u"digest"_s });
    if (!options.ok()) {
        bench::print(options.error());
        return 2;
    }
    const QString out = options.text(u"out"_s, u"bench-clinic.db"_s);
    for (const QString& suffix : { QString(), u"-wal"_s, u"-shm"_s, u"-journal"_s })
        QFile::remove(out + suffix);

    const double start = bench::nowMs();
    try {
        Connection connection(out, u"gen_clinic"_s);
        if (!connection.open()) {
            bench::print(u"cannot create %1: %2"_s.arg(out, connection.lastError()));
            return 1;
        }
        QSqlDatabase& db = connection.database();
        exec(db, u"PRAGMA synchronous = OFF"_s);
        exec(db, u"PRAGMA cache_size = -262144"_s);
        exec(db, u"PRAGMA temp_store = MEMORY"_s);

        Generator generator(db, options);
        generator.run();
        exec(db, u"PRAGMA wal_checkpoint(TRUNCATE)"_s);

        const double elapsed = bench::nowMs() - start;
        bench::print(u"rows: %1"_s.arg(generator.rowCounts().join(u", "_s)));
        if (generator.photoCount() > 0)
            bench::print(
                u"photos: %1 variants of about %2 KB"_s.arg(generator.photoCount()).arg(generator.photoBytes() / 1024));
        bench::print(u"generated %1 in %2 s, %3 MB"_s.arg(out)
                         .arg(elapsed / 1000.0, 0, 'f', 1)
                         .arg(double(bench::databaseFileSize(out)) / (1024.0 * 1024.0), 0, 'f', 1));
        if (options.text(u"digest"_s, QString()) == u"on"_s)
            bench::print(u"digest: %1"_s.arg(contentDigest(db)));
        connection.close();
    } catch (const DataError& e) {
        bench::print(u"generation failed: %1"_s.arg(e.text()));
        return 1;
    }
    return 0;
}
