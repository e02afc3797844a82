#include "widgets/ScrollPanel.h"

#include <QLinearGradient>
#include <QPainter>

namespace korvel {

namespace {
bool isHeading(const QString& line) {
    return line.startsWith(QLatin1String("= "));
}
} // namespace

ScrollPanel::ScrollPanel(QWidget* parent) : QWidget(parent) {
    timer_.setInterval(40);
    connect(&timer_, &QTimer::timeout, this, &ScrollPanel::step);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ScrollPanel::setLines(const QStringList& lines) {
    lines_ = lines;
    update();
}

void ScrollPanel::play() {
    offset_ = height();
    timer_.start();
    update();
}

void ScrollPanel::stop() {
    timer_.stop();
}

int ScrollPanel::lineHeight() const {
    QFont bold = font();
    bold.setBold(true);
    return QFontMetrics(bold).lineSpacing() + 2;
}

int ScrollPanel::textHeight() const {
    return int(lines_.size()) * lineHeight();
}

void ScrollPanel::step() {
    --offset_;
    if (offset_ + textHeight() <= 0) {
        timer_.stop();
        emit stopPlay();
    }
    update();
}

void ScrollPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient bg(0, 0, 0, height());
    bg.setColorAt(0, QColor(0, 0, 64));
    bg.setColorAt(1, QColor(0, 0, 24));
    p.fillRect(rect(), bg);

    const int lh = lineHeight();
    QFont normal = font();
    QFont bold = font();
    bold.setBold(true);
    int y = offset_;
    for (const QString& line : lines_) {
        if (y + lh > 0 && y < height()) {
            const bool heading = isHeading(line);
            p.setFont(heading ? bold : normal);
            p.setPen(heading ? QColor(255, 210, 64) : QColor(230, 230, 230));
            p.drawText(QRect(4, y, width() - 8, lh), Qt::AlignHCenter | Qt::AlignVCenter,
                       heading ? line.mid(2) : line);
        }
        y += lh;
    }
    p.setPen(QColor(96, 96, 128));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace korvel
