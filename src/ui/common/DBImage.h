#pragma once

#include "DataAware.h"

#include <QLabel>
#include <QPixmap>

// Shows a picture kept in a Blob field, scaled into the box with its proportions kept. The
// picture is read only while the box is shown: a hidden box reads it when it appears.
class DBImage final : public DataAware<QLabel>
{
    Q_OBJECT

public:
    explicit DBImage(QWidget* parent = nullptr);

    // The picture as read from the field (null when the field is empty or not a picture).
    QPixmap picture() const;
    // True once the field's bytes have been read for the current record.
    bool isLoaded() const;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showValue() override;
    void load();
    void rescale();

    QPixmap m_picture;
    QPixmap m_scaled;
    bool m_stale = true;
};
