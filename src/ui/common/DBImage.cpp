#include "DBImage.h"

#include "DataSet.h"
#include "Field.h"

#include <QPainter>
#include <QResizeEvent>
#include <QShowEvent>

DBImage::DBImage(QWidget* parent)
    : DataAware<QLabel>(parent)
{
    // The picture follows the box's size, never the other way round.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    setMinimumSize(1, 1);
}

QPixmap DBImage::picture() const
{
    return m_picture;
}

bool DBImage::isLoaded() const
{
    return !m_stale;
}

void DBImage::showEvent(QShowEvent* event)
{
    QLabel::showEvent(event);
    if (m_stale)
        load();
}

void DBImage::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (m_scaled.isNull())
        return;
    const QRect area = contentsRect();
    QRect target(QPoint(0, 0), m_scaled.size() / m_scaled.devicePixelRatio());
    target.moveCenter(area.center());
    QPainter painter(this);
    painter.drawPixmap(target, m_scaled);
}

void DBImage::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    rescale();
}

void DBImage::rescale()
{
    if (m_picture.isNull() || contentsRect().isEmpty()) {
        m_scaled = QPixmap();
        return;
    }
    const qreal ratio = devicePixelRatioF();
    m_scaled = m_picture.scaled(contentsRect().size() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_scaled.setDevicePixelRatio(ratio);
}

void DBImage::showValue()
{
    // A shown box reads the picture now, a hidden one when it appears.
    m_stale = true;
    if (isVisible())
        load();
}

void DBImage::load()
{
    m_stale = false;
    m_picture = QPixmap();
    const Field* f = link()->active() ? link()->field() : nullptr;
    // A picture the data layer cannot read leaves the box empty; nothing to report.
    try {
        if (f && !f->IsNull())
            m_picture.loadFromData(f->AsBytes());
    } catch (const std::exception&) {
        m_picture = QPixmap();
    }
    rescale();
    update();
}
