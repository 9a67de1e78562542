#include "widgets/OfficePager.h"

#include "widgets/BlueScheme.h"

#include <QHBoxLayout>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <vector>

// The strip of picture tabs.
class PagerTabStrip : public QWidget {
public:
    explicit PagerTabStrip(OfficePager* pager) : QWidget(pager), m_pager(pager) {
        setFixedWidth(OfficePager::StripWidth);
        setMouseTracking(true);
    }

    struct Tab {
        QPixmap picture;
        bool visible = true;
    };

    std::vector<Tab> tabs;
    int current = -1;

    QRect tabRect(int index) const {
        if (index < 0 || index >= int(tabs.size()) || !tabs[index].visible)
            return QRect();
        int top = OfficePager::FirstTabTop;
        for (int i = 0; i < index; ++i) {
            if (tabs[i].visible)
                top += OfficePager::TabHeight + OfficePager::TabSpacing;
        }
        return QRect(6, top, width() - 6, OfficePager::TabHeight);
    }

    int tabAt(const QPoint& pos) const {
        for (int i = 0; i < int(tabs.size()); ++i) {
            if (tabRect(i).contains(pos))
                return i;
        }
        return -1;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QLinearGradient background(0, 0, width(), 0);
        background.setColorAt(0, BlueScheme::panelTop());
        background.setColorAt(1, BlueScheme::pageBottom());
        painter.fillRect(rect(), background);
        painter.setPen(BlueScheme::frame());
        painter.drawLine(width() - 1, 0, width() - 1, height());
        painter.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < int(tabs.size()); ++i) {
            if (tabs[i].visible)
                paintTab(painter, i);
        }
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        const int hovered = tabAt(event->position().toPoint());
        if (hovered != m_hovered) {
            m_hovered = hovered;
            update();
        }
    }

    void leaveEvent(QEvent*) override {
        m_hovered = -1;
        update();
    }

    void mousePressEvent(QMouseEvent* event) override {
        const int index = tabAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && index >= 0)
            m_pager->setCurrentIndex(index);
    }

private:
    void paintTab(QPainter& painter, int index) {
        const QRectF box = QRectF(tabRect(index)).adjusted(0.5, 0.5, 0.5, -0.5);
        const bool active = index == current;
        const bool hovered = index == m_hovered;
        if (active || hovered) {
            QLinearGradient fill(box.topLeft(), box.bottomLeft());
            if (active) {
                fill.setColorAt(0, QColor(255, 255, 255));
                fill.setColorAt(1, BlueScheme::pageTop());
            } else {
                fill.setColorAt(0, QColor(255, 250, 225));
                fill.setColorAt(1, QColor(255, 226, 150));
            }
            QPainterPath path;
            path.addRoundedRect(box.adjusted(0, 0, 6, 0), 6, 6);
            painter.setPen(active ? BlueScheme::frame() : QColor(255, 189, 60));
            painter.setBrush(fill);
            painter.drawPath(path);
        }
        const QPixmap& picture = tabs[index].picture;
        const QPointF origin(box.center().x() - picture.width() / 2.0,
                             box.center().y() - picture.height() / 2.0);
        painter.drawPixmap(origin.toPoint(), picture);
    }

    OfficePager* m_pager;
    int m_hovered = -1;
};

OfficePager::OfficePager(QWidget* parent)
    : QWidget(parent), m_strip(new PagerTabStrip(this)), m_stack(new QStackedWidget(this)),
      m_pageLayout(new QVBoxLayout) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_strip);
    m_pageLayout->setContentsMargins(0, 0, 0, 0);
    m_pageLayout->addWidget(m_stack);
    layout->addLayout(m_pageLayout, 1);
}

void OfficePager::setPageMargins(const QMargins& margins) {
    m_pageLayout->setContentsMargins(margins);
    update();
}

QMargins OfficePager::pageMargins() const {
    return m_pageLayout->contentsMargins();
}

void OfficePager::paintEvent(QPaintEvent*) {
    if (pageMargins().isNull())
        return;
    QPainter painter(this);
    const QRect area(m_strip->width(), 0, width() - m_strip->width(), height());
    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0, BlueScheme::pageTop());
    background.setColorAt(1, BlueScheme::pageBottom());
    painter.fillRect(area, background);
    // A frame line around the pages where there is room for it.
    painter.setPen(BlueScheme::frame());
    const QRect pages = m_stack->geometry().adjusted(-1, -1, 1, 1);
    const QMargins margins = pageMargins();
    if (margins.top() > 0)
        painter.drawLine(pages.topLeft(), pages.topRight());
    if (margins.bottom() > 0)
        painter.drawLine(pages.bottomLeft(), pages.bottomRight());
    if (margins.right() > 0)
        painter.drawLine(pages.topRight(), pages.bottomRight());
}

int OfficePager::addPage(QWidget* page, const QPixmap& picture) {
    m_strip->tabs.push_back({picture, true});
    const int index = m_stack->addWidget(page);
    if (m_strip->current < 0)
        setCurrentIndex(index);
    m_strip->update();
    return index;
}

int OfficePager::count() const {
    return m_stack->count();
}

QWidget* OfficePager::page(int index) const {
    return m_stack->widget(index);
}

void OfficePager::setTabVisible(int index, bool visible) {
    if (index < 0 || index >= count() || m_strip->tabs[index].visible == visible)
        return;
    m_strip->tabs[index].visible = visible;
    if (!visible && index == currentIndex()) {
        for (int i = 0; i < count(); ++i) {
            if (m_strip->tabs[i].visible) {
                setCurrentIndex(i);
                break;
            }
        }
    }
    m_strip->update();
}

bool OfficePager::isTabVisible(int index) const {
    return index >= 0 && index < count() && m_strip->tabs[index].visible;
}

int OfficePager::visibleTabCount() const {
    int visible = 0;
    for (const auto& tab : m_strip->tabs)
        visible += tab.visible ? 1 : 0;
    return visible;
}

int OfficePager::currentIndex() const {
    return m_strip->current;
}

void OfficePager::setCurrentIndex(int index) {
    if (index < 0 || index >= count() || index == m_strip->current || !isTabVisible(index))
        return;
    m_strip->current = index;
    m_stack->setCurrentIndex(index);
    m_strip->update();
    emit currentChanged(index);
}

void OfficePager::stepPage(int step) {
    const int pages = count();
    for (int i = 1; i < pages; ++i) {
        const int index = ((currentIndex() + i * step) % pages + pages) % pages;
        if (isTabVisible(index)) {
            setCurrentIndex(index);
            return;
        }
    }
}

QRect OfficePager::tabRect(int index) const {
    const QRect rect = m_strip->tabRect(index);
    return rect.isNull() ? rect : rect.translated(m_strip->pos());
}
