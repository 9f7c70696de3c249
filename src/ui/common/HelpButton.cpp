#include "HelpButton.h"

#include <QAbstractButton>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// A blue disc with a white question mark, drawn so that it looks the same with every style.
QIcon helpIcon()
{
    static const QIcon icon = [] {
        QPixmap picture(32, 32);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0x1f, 0x4e, 0x9a), 2));
        painter.setBrush(QColor(0x35, 0x84, 0xe4));
        painter.drawEllipse(QRectF(2, 2, 28, 28));
        QFont font;
        font.setBold(true);
        font.setPixelSize(22);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, u"?"_s);
        return QIcon(picture);
    }();
    return icon;
}

std::function<void(const QString&)>& helpOpener()
{
    static std::function<void(const QString&)> opener;
    return opener;
}

} // namespace

void HelpButton::setUp(QAbstractButton* button)
{
    button->setText(QString());
    button->setIcon(helpIcon());
    button->setIconSize(QSize(24, 24));
    button->setFixedSize(32, 32);
    button->setToolTip(u"Yardım"_s);
}

void HelpButton::open(const QString& topicFile)
{
    if (helpOpener())
        helpOpener()(topicFile);
}

void HelpButton::setOpener(std::function<void(const QString& topicFile)> opener)
{
    helpOpener() = std::move(opener);
}
