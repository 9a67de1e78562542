#pragma once

#include <QPixmap>
#include <QWidget>

class QBoxLayout;
class QStackedWidget;
class PagerTabStrip;

// Pages chosen by picture tabs in a strip on the left edge. A tab shows its picture and no
// caption; hidden tabs take no room, and their pages cannot be chosen.
class OfficePager : public QWidget {
    Q_OBJECT
public:
    explicit OfficePager(QWidget* parent = nullptr);

    static constexpr int StripWidth = 172;
    static constexpr int FirstTabTop = 4;
    static constexpr int TabHeight = 72;
    static constexpr int TabSpacing = 4;

    int addPage(QWidget* page, const QPixmap& picture);
    int count() const;
    QWidget* page(int index) const;

    void setTabVisible(int index, bool visible);
    bool isTabVisible(int index) const;
    int visibleTabCount() const;

    int currentIndex() const;
    void setCurrentIndex(int index);
    // Goes to the next visible page (step 1) or the one before (step -1), round from the last
    // to the first; hidden pages are passed over.
    void stepPage(int step);

    // The tab's place in the strip (empty when hidden), in pager coordinates.
    QRect tabRect(int index) const;

    // Blank room around the pages, right of the strip, in the pager's blue.
    void setPageMargins(const QMargins& margins);
    QMargins pageMargins() const;

signals:
    void currentChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PagerTabStrip* m_strip;
    QStackedWidget* m_stack;
    QBoxLayout* m_pageLayout;
};
