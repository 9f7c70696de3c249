#pragma once

#include <QAbstractScrollArea>
#include <QSet>

class PreparedReport;

// The pages of a prepared report below one another on a grey ground, drawn only as far as
// they are on screen. Zoom by percent or fitted to the width, the whole page or two pages side
// by side; PageUp and PageDown move a page.
class ReportPageView final : public QAbstractScrollArea
{
    Q_OBJECT

public:
    enum class Fit {
        None,
        PageWidth,
        WholePage,
        TwoPages,
    };

    explicit ReportPageView(QWidget* parent = nullptr);

    void setReport(const PreparedReport* report);
    // The report grew (pages still being made) or was swapped for its finished self: the view
    // keeps its place.
    void reportChanged(const PreparedReport* report);

    // Percent of the paper's real size (100: 1:1 on a 96-dpi screen).
    void setZoom(double percent);
    void setFit(Fit fit);
    double zoom() const; // the percent in effect, also when fitted
    Fit fit() const;

    // 0-based; the page at the top of the view.
    int currentPage() const;
    void goToPage(int page);
    void nextPage();
    void previousPage();

    // Pages drawn since the report was set (pages are drawn only while visible).
    int paintedPageCount() const;

signals:
    void currentPageChanged(int page);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    double scale() const; // screen pixels per layout unit
    int columns() const;
    QSizeF pagePixels() const;
    QRectF pageRect(int page) const; // in content coordinates
    QSize contentSize() const;
    void updateScrollBars();
    void notifyPage();

    const PreparedReport* m_report = nullptr;
    double m_zoom = 100;
    Fit m_fit = Fit::PageWidth;
    QSet<int> m_paintedPages;
    int m_lastPage = -1;
};
