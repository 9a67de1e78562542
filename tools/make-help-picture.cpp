// make-help-picture OUTPUT
//
// Draws the first-run help picture (Qhelp.jpg): a sketch of the main window with numbered
// call-outs, their explanations, and one card per page of the program. The picture is written
// in the format that OUTPUT's suffix names (JPEG for the program directory, PNG for a look at it).
// It needs no display: it runs on Qt's offscreen platform.

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString fontFamily = QStringLiteral("WenQuanYi Micro Hei");

constexpr int pictureWidth = 1000;
constexpr int pictureHeight = 720;

// The program's blue scheme.
const QColor panelLight(218, 234, 253);
const QColor panelDark(136, 174, 228);
const QColor pageDark(196, 218, 250);
const QColor ink(32, 42, 58);
const QColor navy(22, 58, 120);
const QColor frameBlue(96, 128, 176);
const QColor badgeColor(232, 106, 26);
const QColor gridLine(200, 208, 220);

QFont uiFont(int pixelSize, bool bold = false) {
    QFont font(fontFamily);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

class HelpPicture {
public:
    HelpPicture() : image_(pictureWidth, pictureHeight, QImage::Format_RGB32), painter_() {
        image_.fill(QColor(247, 250, 255));
        painter_.begin(&image_);
        painter_.setRenderHint(QPainter::Antialiasing);
        painter_.setRenderHint(QPainter::TextAntialiasing);
    }

    QImage draw() {
        drawHeader();
        drawWindowSketch();
        drawLegend();
        drawPageCards();
        drawFootnote();
        painter_.end();
        return image_;
    }

private:
    // --- primitives -------------------------------------------------------------------------

    void text(const QRectF& rect, const QString& value, const QFont& font, const QColor& color,
              int flags = Qt::AlignLeft | Qt::AlignVCenter) {
        painter_.setFont(font);
        painter_.setPen(color);
        painter_.drawText(rect, flags, value);
    }

    void verticalGradientRect(const QRectF& rect, const QColor& top, const QColor& bottom,
                              qreal radius = 0, const QColor& border = Qt::transparent) {
        QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
        gradient.setColorAt(0, top);
        gradient.setColorAt(1, bottom);
        painter_.setBrush(gradient);
        painter_.setPen(border == Qt::transparent ? QPen(Qt::NoPen) : QPen(border, 1));
        if (radius > 0)
            painter_.drawRoundedRect(rect, radius, radius);
        else
            painter_.drawRect(rect);
    }

    void glowButton(const QRectF& rect, const QString& caption) {
        QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
        gradient.setColorAt(0, QColor(252, 253, 255));
        gradient.setColorAt(0.5, QColor(214, 230, 252));
        gradient.setColorAt(0.51, QColor(190, 213, 246));
        gradient.setColorAt(1, QColor(222, 236, 254));
        painter_.setBrush(gradient);
        painter_.setPen(QPen(frameBlue, 1));
        painter_.drawRoundedRect(rect, 4, 4);
        text(rect, caption, uiFont(13, true), navy, Qt::AlignCenter);
    }

    void inputBox(const QRectF& rect, const QString& value, bool dropDown) {
        painter_.setBrush(Qt::white);
        painter_.setPen(QPen(QColor(127, 157, 185), 1));
        painter_.drawRect(rect);
        text(rect.adjusted(4, 0, -16, 0), value, uiFont(11), ink);
        if (dropDown) {
            const QRectF button(rect.right() - 14, rect.top() + 1, 13, rect.height() - 2);
            verticalGradientRect(button, QColor(236, 243, 253), QColor(200, 218, 244));
            const QPointF centre = button.center();
            QPainterPath arrow;
            arrow.moveTo(centre.x() - 3.5, centre.y() - 2);
            arrow.lineTo(centre.x() + 3.5, centre.y() - 2);
            arrow.lineTo(centre.x(), centre.y() + 2.5);
            arrow.closeSubpath();
            painter_.setBrush(navy);
            painter_.setPen(Qt::NoPen);
            painter_.drawPath(arrow);
        }
    }

    // A numbered orange disc; with a target, a leader line joins it to the element it explains.
    void badge(QPointF centre, int number, QPointF target = QPointF(-1, -1)) {
        if (target.x() >= 0) {
            painter_.setPen(QPen(badgeColor, 1.6));
            painter_.drawLine(centre, target);
            painter_.setBrush(badgeColor);
            painter_.setPen(Qt::NoPen);
            painter_.drawEllipse(target, 2.6, 2.6);
        }
        painter_.setBrush(badgeColor);
        painter_.setPen(QPen(Qt::white, 1.6));
        painter_.drawEllipse(centre, 11, 11);
        text(QRectF(centre.x() - 11, centre.y() - 11, 22, 22), QString::number(number),
             uiFont(13, true), Qt::white, Qt::AlignCenter);
    }

    // --- parts of the picture ---------------------------------------------------------------

    void drawHeader() {
        const QRectF bar(0, 0, pictureWidth, 56);
        verticalGradientRect(bar, QColor(58, 104, 178), QColor(30, 70, 140));
        text(bar.adjusted(24, 0, 0, 0), QStringLiteral("Varnholt 使用说明"), uiFont(24, true),
             Qt::white);
        text(bar.adjusted(0, 0, -24, 0), QStringLiteral("入货 · 出货 · 库存 · 管理"), uiFont(15),
             QColor(220, 232, 250), Qt::AlignRight | Qt::AlignVCenter);
    }

    void drawWindowSketch() {
        const QRectF window(20, 74, 620, 370);

        // Frame and caption bar.
        painter_.setBrush(QColor(0, 0, 0, 28));
        painter_.setPen(Qt::NoPen);
        painter_.drawRoundedRect(window.translated(3, 4), 6, 6);
        verticalGradientRect(window, QColor(240, 240, 240), QColor(240, 240, 240), 6,
                             QColor(70, 96, 140));
        const QRectF caption(window.left(), window.top(), window.width(), 24);
        QPainterPath captionPath;
        captionPath.addRoundedRect(caption, 6, 6);
        captionPath.addRect(caption.adjusted(0, 12, 0, 0));
        captionPath.setFillRule(Qt::WindingFill);
        QLinearGradient captionGradient(caption.topLeft(), caption.bottomLeft());
        captionGradient.setColorAt(0, QColor(92, 136, 206));
        captionGradient.setColorAt(1, QColor(52, 96, 168));
        painter_.setBrush(captionGradient);
        painter_.setPen(Qt::NoPen);
        painter_.drawPath(captionPath.simplified());
        text(caption.adjusted(10, 0, 0, 0), QStringLiteral("Varnholt"), uiFont(12, true),
             Qt::white);
        for (int i = 0; i < 3; ++i) {
            const QRectF box(caption.right() - 22 - i * 20, caption.top() + 5, 14, 14);
            painter_.setBrush(QColor(255, 255, 255, i == 0 ? 200 : 130));
            painter_.setPen(Qt::NoPen);
            painter_.drawRoundedRect(box, 3, 3);
        }

        const qreal clientTop = caption.bottom();
        const qreal clientBottom = window.bottom() - 1;

        // Tab strip with the four picture tabs.
        const QRectF strip(window.left() + 1, clientTop, 110, clientBottom - clientTop);
        verticalGradientRect(strip, QColor(205, 224, 250), QColor(170, 198, 238));
        const QStringList tabs{QStringLiteral("入货"), QStringLiteral("出货"),
                               QStringLiteral("库存"), QStringLiteral("管理")};
        for (int i = 0; i < tabs.size(); ++i) {
            const QRectF tab(strip.left() + 8, strip.top() + 8 + i * 52, 94, 44);
            const bool active = i == 0;
            if (active)
                verticalGradientRect(tab, QColor(255, 244, 214), QColor(255, 212, 128), 5,
                                     QColor(214, 152, 50));
            else
                verticalGradientRect(tab, QColor(244, 249, 255), QColor(206, 224, 250), 5,
                                     QColor(140, 168, 210));
            text(tab, tabs[i], uiFont(19, true), active ? QColor(120, 60, 0) : navy,
                 Qt::AlignCenter);
        }
        text(QRectF(strip.left() + 4, strip.top() + 218, strip.width() - 8, 34),
             QStringLiteral("管理页仅管理员可见"), uiFont(10), QColor(70, 90, 120),
             Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap);

        // Top panel with the filters and the buttons.
        const qreal pageLeft = strip.right();
        const qreal pageRight = window.right() - 1;
        const QRectF topPanel(pageLeft, clientTop, pageRight - pageLeft, 112);
        verticalGradientRect(topPanel, panelLight, panelDark);

        const QRectF group(pageLeft + 10, clientTop + 10, 366, 94);
        painter_.setBrush(QColor(255, 255, 255, 90));
        painter_.setPen(QPen(frameBlue, 1));
        painter_.drawRoundedRect(group, 7, 7);
        const QRectF groupTitle(group.left() + 12, group.top() - 8, 40, 16);
        painter_.setBrush(panelLight);
        painter_.setPen(Qt::NoPen);
        painter_.drawRect(groupTitle);
        text(groupTitle, QStringLiteral("查询"), uiFont(12, true), navy, Qt::AlignCenter);

        const qreal labelTop = group.top() + 12;
        const qreal boxTop = labelTop + 18;
        const qreal dateLeft = group.left() + 10;
        const qreal nameLeft = group.left() + 116;
        const qreal modelLeft = group.left() + 204;
        text(QRectF(dateLeft, labelTop, 100, 16), QStringLiteral("入库范围"), uiFont(12), ink);
        inputBox(QRectF(dateLeft, boxTop, 96, 20), QStringLiteral("2025-03-01"), true);
        inputBox(QRectF(dateLeft, boxTop + 30, 96, 20), QStringLiteral("2025-03-31"), true);
        text(QRectF(nameLeft, labelTop, 80, 16), QStringLiteral("商品名称"), uiFont(12), ink);
        inputBox(QRectF(nameLeft, boxTop, 80, 20), QStringLiteral("所有"), true);
        text(QRectF(modelLeft, labelTop, 80, 16), QStringLiteral("商品型号"), uiFont(12), ink);
        inputBox(QRectF(modelLeft, boxTop, 80, 20), QStringLiteral("所有"), true);
        const QRectF queryButton(group.left() + 294, boxTop - 2, 62, 26);
        glowButton(queryButton, QStringLiteral("查询"));

        const qreal buttonLeft = group.right() + 30;
        const QRectF addButton(buttonLeft, clientTop + 8, 92, 26);
        const QRectF printButton(buttonLeft, clientTop + 42, 92, 26);
        const QRectF exportButton(buttonLeft, clientTop + 76, 92, 26);
        glowButton(addButton, QStringLiteral("添加入库"));
        glowButton(printButton, QStringLiteral("打印"));
        glowButton(exportButton, QStringLiteral("导出"));

        // The grid.
        const QRectF gridArea(pageLeft, topPanel.bottom(), pageRight - pageLeft,
                              clientBottom - topPanel.bottom());
        verticalGradientRect(gridArea, panelLight, pageDark);
        const QRectF grid = gridArea.adjusted(6, 6, -6, -6);
        painter_.setBrush(Qt::white);
        painter_.setPen(QPen(QColor(150, 166, 190), 1));
        painter_.drawRect(grid);

        const std::vector<std::pair<QString, qreal>> columns{
            {QString(), 14},
            {QStringLiteral("商品编号"), 60},
            {QStringLiteral("商品名称"), 66},
            {QStringLiteral("商品型号"), 62},
            {QStringLiteral("单位"), 36},
            {QStringLiteral("入库数量"), 62},
            {QStringLiteral("价格"), 50},
            {QStringLiteral("金额"), 76},
            {QStringLiteral("入库时间"), 62},
        };
        const std::vector<QStringList> rows{
            {QStringLiteral("A001"), QStringLiteral("螺丝刀"), QStringLiteral("SD-6"),
             QStringLiteral("把"), QStringLiteral("20.00"), QStringLiteral("12.50"),
             QStringLiteral("￥ 250.00"), QStringLiteral("2025-03-03")},
            {QStringLiteral("A002"), QStringLiteral("卷尺"), QStringLiteral("JC-5M"),
             QStringLiteral("个"), QStringLiteral("15.00"), QStringLiteral("18.00"),
             QStringLiteral("￥ 270.00"), QStringLiteral("2025-03-05")},
            {QStringLiteral("B010"), QStringLiteral("胶带"), QStringLiteral("JD-48"),
             QStringLiteral("卷"), QStringLiteral("100.00"), QStringLiteral("3.20"),
             QStringLiteral("￥ 320.00"), QStringLiteral("2025-03-12")},
            {QStringLiteral("C003"), QStringLiteral("手套"), QStringLiteral("ST-L"),
             QStringLiteral("双"), QStringLiteral("50.00"), QStringLiteral("6.00"),
             QStringLiteral("￥ 300.00"), QStringLiteral("2025-03-20")},
        };
        const qreal rowHeight = 22;
        const int selectedRow = 1;

        painter_.save();
        painter_.setClipRect(grid.adjusted(1, 1, 0, 0));
        // Title buttons.
        qreal x = grid.left() + 1;
        const QRectF titleRow(grid.left() + 1, grid.top() + 1, grid.width() - 1, rowHeight);
        verticalGradientRect(titleRow, QColor(250, 252, 255), QColor(214, 226, 244));
        for (const auto& [title, width] : columns) {
            text(QRectF(x, titleRow.top(), width, rowHeight), title, uiFont(11, true), ink,
                 Qt::AlignCenter);
            painter_.setPen(QPen(gridLine, 1));
            painter_.drawLine(QPointF(x + width, titleRow.top()),
                              QPointF(x + width, titleRow.bottom() + rows.size() * rowHeight));
            x += width;
        }
        // Records.
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const QRectF rowRect(grid.left() + 1, titleRow.bottom() + r * rowHeight,
                                 grid.width() - 1, rowHeight);
            if (static_cast<int>(r) == selectedRow) {
                painter_.setBrush(QColor(51, 110, 204));
                painter_.setPen(Qt::NoPen);
                painter_.drawRect(rowRect.adjusted(columns[0].second, 0, 0, 0));
            }
            painter_.setPen(QPen(gridLine, 1));
            painter_.drawLine(rowRect.bottomLeft(), rowRect.bottomRight());
            qreal cx = rowRect.left() + columns[0].second;
            for (qsizetype c = 0; c < rows[r].size(); ++c) {
                const qreal width = columns[static_cast<std::size_t>(c) + 1].second;
                const QColor color = static_cast<int>(r) == selectedRow ? QColor(Qt::white) : ink;
                text(QRectF(cx, rowRect.top(), width, rowHeight), rows[r][c], uiFont(11), color,
                     Qt::AlignCenter);
                cx += width;
            }
            if (static_cast<int>(r) == selectedRow) {
                // Row indicator.
                QPainterPath marker;
                const qreal my = rowRect.center().y();
                marker.moveTo(rowRect.left() + 4, my - 4);
                marker.lineTo(rowRect.left() + 10, my);
                marker.lineTo(rowRect.left() + 4, my + 4);
                marker.closeSubpath();
                painter_.setBrush(ink);
                painter_.setPen(Qt::NoPen);
                painter_.drawPath(marker);
            }
        }
        // Footer row: the record count and the column sums.
        const QRectF footer(grid.left() + 1, grid.bottom() - rowHeight, grid.width() - 1,
                            rowHeight);
        painter_.setBrush(QColor(250, 250, 250));
        painter_.setPen(QPen(QColor(150, 166, 190), 1));
        painter_.drawRect(footer);
        qreal fx = footer.left() + columns[0].second;
        const std::vector<std::pair<QString, QColor>> footerCells{
            {QStringLiteral("共 4 条"), QColor(0, 0, 255)},
            {QString(), ink},
            {QString(), ink},
            {QString(), ink},
            {QStringLiteral("185.00"), QColor(255, 0, 255)},
            {QString(), ink},
            {QStringLiteral("￥ 1,140.00"), QColor(0, 0, 255)},
        };
        for (std::size_t c = 0; c < footerCells.size(); ++c) {
            const qreal width = columns[c + 1].second;
            text(QRectF(fx, footer.top(), width, rowHeight), footerCells[c].first, uiFont(11, true),
                 footerCells[c].second, Qt::AlignCenter);
            fx += width;
        }
        painter_.restore();

        // Mouse pointer on the selected row; the double-click hint below the records.
        const qreal pointerRowY = titleRow.bottom() + selectedRow * rowHeight + rowHeight / 2;
        const QPointF tip(grid.left() + 196, pointerRowY + 2);
        const QRectF hint(grid.left() + 236, titleRow.bottom() + rows.size() * rowHeight + 22, 150,
                          24);
        painter_.setPen(QPen(QColor(200, 170, 90), 1.4, Qt::DashLine));
        painter_.drawLine(QPointF(hint.left() + 20, hint.top()), tip + QPointF(8, 18));
        drawPointer(tip);
        painter_.setBrush(QColor(255, 250, 222));
        painter_.setPen(QPen(QColor(200, 170, 90), 1));
        painter_.drawRoundedRect(hint, 4, 4);
        text(hint, QStringLiteral("双击：修改 / 删除"), uiFont(12, true), QColor(140, 80, 0),
             Qt::AlignCenter);

        // Call-outs, numbered as in the legend.
        badge(QPointF(strip.center().x(), strip.top() + 274), 1);
        badge(QPointF(dateLeft + 72, labelTop + 8), 2);
        badge(QPointF((nameLeft + 80 + modelLeft) / 2, boxTop + 40), 3);
        badge(QPointF(queryButton.center().x(), boxTop + 40), 4);
        badge(QPointF(addButton.right() + 18, addButton.center().y()), 5);
        badge(QPointF(printButton.right() + 18,
                      (printButton.center().y() + exportButton.center().y()) / 2),
              6);
        badge(QPointF(hint.right() + 18, hint.center().y()), 7);
        badge(QPointF(grid.left() + 250, footer.top() - 18), 8,
              QPointF(grid.left() + 250, footer.top() + 2));
    }

    void drawPointer(QPointF tip) {
        QPainterPath arrow;
        arrow.moveTo(tip);
        arrow.lineTo(tip + QPointF(0, 17));
        arrow.lineTo(tip + QPointF(4.2, 13));
        arrow.lineTo(tip + QPointF(7.2, 19.5));
        arrow.lineTo(tip + QPointF(9.8, 18.3));
        arrow.lineTo(tip + QPointF(6.9, 12));
        arrow.lineTo(tip + QPointF(12, 12));
        arrow.closeSubpath();
        painter_.setBrush(Qt::white);
        painter_.setPen(QPen(Qt::black, 1.2));
        painter_.drawPath(arrow);
    }

    void drawLegend() {
        const QRectF area(660, 74, 320, 370);
        painter_.setBrush(Qt::white);
        painter_.setPen(QPen(QColor(196, 210, 232), 1));
        painter_.drawRoundedRect(area, 8, 8);
        text(QRectF(area.left() + 16, area.top() + 10, area.width() - 32, 24),
             QStringLiteral("入货页的操作（出货页相同）"), uiFont(15, true), navy);

        const QStringList items{
            QStringLiteral("点击左侧标签切换页面：入货、出货、库存、管理。"),
            QStringLiteral("“入库范围”：选择起止日期。"),
            QStringLiteral("“商品名称”“商品型号”：可选择或输入，“所有”表示不限。"),
            QStringLiteral("点击“查询”，按上述条件列出记录。"),
            QStringLiteral("“添加入库”：登记一笔收到的货物。"),
            QStringLiteral("“打印”：预览并打印列表；“导出”：导出为电子表格。"),
            QStringLiteral("双击某一行：修改或删除该条记录。"),
            QStringLiteral("底部显示记录条数和数量、金额合计；点击列标题可排序。"),
        };
        qreal y = area.top() + 46;
        const QFont font = uiFont(13);
        for (int i = 0; i < items.size(); ++i) {
            badge(QPointF(area.left() + 26, y + 10), i + 1);
            const QRectF textRect(area.left() + 46, y, area.width() - 58, 40);
            painter_.setFont(font);
            const QRectF used =
                painter_.boundingRect(textRect, Qt::AlignLeft | Qt::TextWordWrap, items[i]);
            text(textRect, items[i], font, ink, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
            y += std::max<qreal>(used.height(), 22) + 14;
        }
    }

    void drawPageCards() {
        struct Card {
            QString tab;
            QString title;
            QString body;
            QColor accent;
        };
        const std::vector<Card> cards{
            {QStringLiteral("入货"), QStringLiteral("登记收到的货物"),
             QStringLiteral("点“添加入库”，填写商品编号、名称、型号、单位、价格、数量和日期，"
                            "点“确定”保存；“添加下一条”可连续录入。新编号的商品自动加入商品"
                            "列表。"),
             QColor(46, 125, 50)},
            {QStringLiteral("出货"), QStringLiteral("登记发出的货物"),
             QStringLiteral("用法与入货页相同：点“添加出库”录入；按出库范围、商品名称、商品"
                            "型号“查询”；双击记录可修改或删除；可“打印”“导出”。"),
             QColor(21, 101, 192)},
            {QStringLiteral("库存"), QStringLiteral("查看当前库存"),
             QStringLiteral("选择“截止日期”后点“查询”，列出每种商品截至该日的入库数量、"
                            "出库数量和当前库存。库存为负数时以红色显示，请核对出入库记录。"),
             QColor(194, 24, 91)},
            {QStringLiteral("管理"), QStringLiteral("仅管理员可见"),
             QStringLiteral("“用户管理”设置用户密码；“打印表头信息设置”填写报表表头的公司"
                            "名称、地址和电话；在商品列表中双击商品，可修正其编号、名称、型号和"
                            "单位。"),
             QColor(93, 64, 55)},
        };

        const qreal top = 462;
        const qreal height = 212;
        const qreal gap = 12;
        const qreal width = (pictureWidth - 40 - gap * (cards.size() - 1)) / cards.size();
        for (std::size_t i = 0; i < cards.size(); ++i) {
            const Card& card = cards[i];
            const QRectF rect(20 + i * (width + gap), top, width, height);
            painter_.setBrush(Qt::white);
            painter_.setPen(QPen(QColor(196, 210, 232), 1));
            painter_.drawRoundedRect(rect, 8, 8);

            const QRectF tab(rect.left() + 12, rect.top() + 12, 64, 36);
            verticalGradientRect(tab, card.accent.lighter(125), card.accent, 6);
            text(tab, card.tab, uiFont(19, true), Qt::white, Qt::AlignCenter);
            text(QRectF(tab.right() + 10, tab.top(), rect.right() - tab.right() - 16, tab.height()),
                 card.title, uiFont(14, true), card.accent.darker(115));

            text(rect.adjusted(14, 60, -12, -10), card.body, uiFont(14), ink,
                 Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);

            if (card.tab == QStringLiteral("库存")) {
                // A sample of the negative-stock colouring.
                const QRectF sample(rect.left() + 14, rect.bottom() - 34, width - 28, 22);
                painter_.setBrush(QColor(250, 250, 250));
                painter_.setPen(QPen(gridLine, 1));
                painter_.drawRect(sample);
                const qreal third = sample.width() / 3;
                text(QRectF(sample.left(), sample.top(), third, sample.height()),
                     QStringLiteral("当前库存"), uiFont(11, true), ink, Qt::AlignCenter);
                text(QRectF(sample.left() + third, sample.top(), third, sample.height()),
                     QStringLiteral("35.00"), uiFont(12), ink, Qt::AlignCenter);
                text(QRectF(sample.left() + 2 * third, sample.top(), third, sample.height()),
                     QStringLiteral("-5.00"), uiFont(12, true), QColor(220, 0, 0), Qt::AlignCenter);
            }
        }
    }

    void drawFootnote() {
        text(QRectF(20, pictureHeight - 40, pictureWidth - 40, 34),
             QStringLiteral("首次使用请以“管理员”身份登录（初始密码为空），在“管理”页为各用户设置"
                            "密码。本说明只在首次运行时自动打开，之后可在程序目录中打开 Qhelp.jpg"
                            " 查看。"),
             uiFont(12), QColor(84, 96, 116), Qt::AlignCenter | Qt::TextWordWrap);
    }

    QImage image_;
    QPainter painter_;
};

} // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: make-help-picture OUTPUT(.jpg|.png)\n");
        return 2;
    }
    if (!QFontDatabase::families().contains(fontFamily)) {
        std::fprintf(stderr,
                     "make-help-picture: font \"%s\" is not installed (fonts-wqy-microhei)\n",
                     qPrintable(fontFamily));
        return 1;
    }

    const QString output = arguments.at(1);
    const QImage picture = HelpPicture().draw();
    QImageWriter writer(output);
    writer.setQuality(90);
    if (!writer.write(picture)) {
        std::fprintf(stderr, "make-help-picture: cannot write %s: %s\n", qPrintable(output),
                     qPrintable(writer.errorString()));
        return 1;
    }
    return 0;
}
