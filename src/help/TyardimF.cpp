#include "TyardimF.h"

#include "ui_TyardimF.h"

#include "CommandGuard.h"
#include "Messages.h"
#include "RtfReader.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QTextEdit>

using namespace Qt::StringLiterals;

const QStringList TyardimF::topicFiles = {
    u"ygiris"_s,
    u"ymuayene"_s,
    u"ysifreler"_s,
    u"yprotokol"_s,
    u"ygrafik"_s,
    u"yprotliste"_s,
    u"yasikart"_s,
};

const QStringList TyardimF::topicTitles = {
    u"Giriş Bölümü"_s,
    u"Gelişim Takip Bölümü"_s,
    u"Şifre Giriş ve Değişiklik Bölümü"_s,
    u"Çocuk Giriş ve Değişiklik Bölümü"_s,
    u"Gelişim Grafiği Kullanımı Bölümü"_s,
    u"Çocuk Listeleri Bölümü"_s,
    u"Aşı Kartları Bölümü"_s,
};

TyardimF::TyardimF()
    : ui(new Ui::TyardimF)
{
    setObjectName(u"yardimF"_s);
    ui->setupUi(this);
    setPlacement(Placement::CentredOnDesktop);

    ui->ComboBox1->addItems(topicTitles);
    ui->ComboBox1->setCurrentIndex(0);
    for (int i = 0; i < 2; ++i) {
        m_statusPanels[i] = new QLabel(ui->StatusBar1);
        m_statusPanels[i]->setObjectName(u"StatusBar1Panel%1"_s.arg(i));
        ui->StatusBar1->addWidget(m_statusPanels[i], i == 0 ? 0 : 1);
    }
    m_statusPanels[0]->setMinimumWidth(50);
    m_statusPanels[1]->setText(u"   Version 1.0"_s);
    ui->StatusBar1->setSizeGripEnabled(true);

    connect(ui->ComboBox1, &QComboBox::activated, this, &TyardimF::ComboBox1Change);
}

TyardimF::~TyardimF() = default;

void TyardimF::showTopic(const QString& fileName)
{
    // The viewer comes to the front over every screen, one that stays on top included.
    bool overStayingScreen = false;
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible() && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            overStayingScreen = true;
    }
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != overStayingScreen)
        setWindowFlag(Qt::WindowStaysOnTopHint, overStayingScreen);
    show();
    raise();
    activateWindow();
    CommandGuard::run([&] { loadTopic(fileName); });
}

void TyardimF::ComboBox1Change()
{
    // Loads the chosen topic's file, when there is one.
    CommandGuard::run([&] {
        const int index = ui->ComboBox1->currentIndex();
        if (index >= 0 && index < topicFiles.size())
            loadTopic(topicFiles.at(index));
    });
}

bool TyardimF::loadTopic(const QString& fileName)
{
    const QFileInfo info(QDir::current(), fileName);
    if (!info.exists())
        return false;
    QFile file(info.absoluteFilePath());
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        const QString reason = info.isFile() ? file.errorString() : u"Access is denied"_s;
        Messages::error(
            u"Cannot open file \"%1\". %2"_s.arg(QDir::toNativeSeparators(info.absoluteFilePath()), reason));
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        Messages::error(u"Cannot read file \"%1\". %2"_s.arg(
            QDir::toNativeSeparators(info.absoluteFilePath()), file.errorString()));
        return false;
    }
    if (RtfReader::isRtf(bytes))
        RtfReader::read(bytes, ui->RichEdit1->document());
    else
        ui->RichEdit1->setPlainText(RtfReader::decodePlain(bytes));
    ui->RichEdit1->moveCursor(QTextCursor::Start);
    return true;
}
