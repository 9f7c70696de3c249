#pragma once

#include "PreparedReport.h"
#include "ReportBindings.h"

#include <QString>

class TReportPreview;

// The printing commands' way to the report engine: prepare a layout from the screens' data
// sets and show it in the preview window, waiting until the user closes it.
//
// A layout is a file layouts/<name>.json beside the program. Names without a screen in a
// layout ("muayeneTable") are data sets of the screen given to ReportBindings; names with one
// ("ozluk.sicilTable", "sifrelerF.sifreTable") are found on that screen; only the report data
// set of a master data band has to be bound by hand. The letterhead comes from the current
// record of sifrelerF.sifreTable, the child header from ozluk.sicilTable.
//
// How each command calls it:
//
//   Registry list, Tsicrapor::yazButClick ("Yazdır", F4):
//       TReport::Preview(u"sicrapor_liste"_s, u"Lumeko Rapor Önizleme - Çocuk Sicil Kartları"_s,
//                        ReportBindings(u"sicrapor"_s).bind(u"sicrapQuery"_s, sicrapQuery));
//     (the rows as the grid shows them: current order and filter)
//
//   Test type catalogue, TTetkikF::JvXPButton1Click ("Yazdır - Önizleme", F4):
//       TReport::Preview(u"tetkik_turleri"_s, u"Lumeko Rapor Önizleme - Tetkik Türü Kartları"_s,
//                        ReportBindings(u"TetkikF"_s).bind(u"tetkikTTable"_s, tetkikSource));
//     (every test type in the table's order)
//
//   Visit screen, card A, TfrmMain::JvXPButton8Click ("Yazdır 1" of "Yeni Bilgi Girişleri"):
//       TReport::Preview(u"muayene_kart_a"_s, u"Lumeko Rapor Önizleme - Protokol Takip Kartları"_s,
//                        ReportBindings(u"frmMain"_s));
//   Visit screen, card B, TfrmMain::JvXPButton9Click ("Yazdır 2" of "Yeni Bilgi Girişleri"):
//       TReport::Preview(u"muayene_kart_b"_s, u"Lumeko Rapor Önizleme - Hasta Takip Kartları"_s,
//                        ReportBindings(u"frmMain"_s));
//     Both cards read muayeneTable's current record, a visit still being typed included; they
//     have no master data band, so nothing moves the visit data set's cursor.
//
//   Visit screen, landscape list, TfrmMain::JvNavPanelButton8Click ("Yazdır 1" of the history,
//   "Gelişim Listesi Yazdır"), after the leave-without-saving question when the visit is
//   pending (Yes: discard the pending visit first; No: stop):
//       TReport::Preview(u"muayene_liste_yatay"_s, u"Lumeko Rapor Önizleme - Protokol Takip Kartları"_s,
//                        ReportBindings(u"frmMain"_s).bind(u"frDBDataSet1"_s, muayeneRSource));
//   Visit screen, portrait list, TfrmMain::JvNavPanelButton11Click ("Yazdır 2", "Tümünü Yazdır",
//   F4), with the same question first:
//       TReport::Preview(u"muayene_liste_dikey"_s, u"Lumeko Rapor Önizleme - Protokol Takip Kartları"_s,
//                        ReportBindings(u"frmMain"_s).bind(u"frDBDataSet1"_s, muayeneRSource));
//
//   Vaccine screen, TasilarF::JvXPButton1Click ("Yazdır", "Yazdır " of "Standart Takip", F4), by
//   the chosen print option: asi_liste, asi_tek_tur, asi_kart_secili, asi_kart_giris or
//   asi_liste_sabit, each as
//       TReport::Preview(layout, u"Lumeko Rapor Önizleme - Aşı Takip Kartları"_s,
//                        ReportBindings(u"asilarF"_s).bind(u"asiQuery"_s, asiSource));
//     with the list held still (DisableControls) meanwhile, and for asi_tek_tur filtered by
//     asiQueryFilterRecord to the entry record's vaccine; the filter is off again afterwards,
//     also when the report fails. The cards read asiQuery's or receTable's current record.
//   Vaccine screen, dose card, TasilarF::JvNavPanelButton12Click ("Yazdır " of "Kartlı Takip"):
//       layout asi_doz_karti, asi2Table bound to asi2Source;
//   vaccine catalogue, TasilarF::JvNavPanelButton6Click ("Aşı Türlerini Yazdır "):
//       layout asi_turleri, asiturTable bound to asiturSource; both with the same title.
//
// Preview returns after the preview window has closed. When the report cannot be prepared it
// shows the box captioned "Error" with the engine's text, shows no preview and returns false.
class TReport final
{
public:
    // Told about every preview window once it is on screen, before the command waits for it
    // to close. Tests inspect the window here and close it; a window left open is waited for.
    class PreviewHandler
    {
    public:
        virtual ~PreviewHandler() = default;
        virtual void previewShown(TReportPreview& preview) = 0;
    };

    // Prepares the layout and shows it maximised in a preview window captioned
    // "Preview - " + previewTitle; returns when the window is closed. False (after the
    // "Error" box) when the report could not be prepared.
    static bool Preview(const QString& layoutName, const QString& previewTitle, const ReportBindings& bindings);

    // Prepares the layout without a window. Throws ReportError.
    static PreparedReport prepare(const QString& layoutName, const ReportBindings& bindings);

    // Shows prepared pages in a preview window and waits until it is closed.
    static void showPreview(const PreparedReport& report);

    static void setPreviewHandler(PreviewHandler* handler);
    static PreviewHandler* previewHandler();
};
