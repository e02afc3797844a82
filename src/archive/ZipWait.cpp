#include "archive/ZipWait.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

#include <exception>
#include <memory>

namespace korvel {

namespace {
constexpr int kFrames = 34; // one flight of the sheet; frame 0 is the stop frame

void drawFolder(QPainter& p, const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top() + 6);
    path.lineTo(r.left() + r.width() * 0.35, r.top() + 6);
    path.lineTo(r.left() + r.width() * 0.42, r.top());
    path.lineTo(r.right(), r.top());
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(QColor(120, 90, 0), 1));
    p.setBrush(QColor(240, 200, 60));
    p.drawPath(path);
}
} // namespace

FileCopyAnimation::FileCopyAnimation(QWidget* parent) : QWidget(parent), timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("Anm1"));
    setMinimumSize(sizeHint());
    timer_->setInterval(50);
    connect(timer_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % kFrames;
        update();
    });
}

void FileCopyAnimation::start() {
    timer_->start();
}

void FileCopyAnimation::stop() {
    timer_->stop();
    frame_ = 0;
    update();
}

bool FileCopyAnimation::isRunning() const {
    return timer_->isActive();
}

void FileCopyAnimation::paintEvent(QPaintEvent*) {
    ++paints_;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal h = height();
    const QRectF from(8, h / 2 - 14, 44, 32);
    const QRectF to(width() - 52, h / 2 - 14, 44, 32);
    drawFolder(p, from);
    drawFolder(p, to);
    if (frame_ == 0)
        return;
    // The sheet rises out of the left folder, arcs over and drops into the right one.
    const qreal t = qreal(frame_) / kFrames;
    const qreal x = from.center().x() + (to.center().x() - from.center().x()) * t;
    const qreal y = from.top() - 4 - std::sin(t * 3.14159265) * (h / 2 - 10);
    QRectF sheet(x - 8, y - 10, 16, 20);
    p.setPen(QPen(Qt::darkGray, 1));
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(sheet.left() + 3, sheet.top() + 5 + i * 4),
                   QPointF(sheet.right() - 3, sheet.top() + 5 + i * 4));
}

TFrmWaitZip::TFrmWaitZip(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmWaitZip"));
    setWindowTitle(QStringLiteral("Processing, please wait..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    Anm1 = new FileCopyAnimation(this);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    QPixmap zipPicture(40, 48);
    zipPicture.fill(Qt::transparent);
    {
        QPainter p(&zipPicture);
        p.setPen(QPen(Qt::darkGray, 1));
        p.setBrush(QColor(250, 250, 240));
        p.drawRect(4, 2, 32, 44);
        p.setBrush(QColor(90, 90, 90));
        for (int i = 0; i < 8; ++i)
            p.drawRect(i % 2 ? 18 : 20, 4 + i * 4, 4, 3); // the zipper
    }
    Image1->setPixmap(zipPicture);
    auto* row = new QHBoxLayout(this);
    row->addWidget(Image1);
    row->addWidget(Anm1, 1);
    setFixedSize(sizeHint());
}

void TFrmWaitZip::closeEvent(QCloseEvent* e) {
    if (busy_)
        e->ignore();
    else
        QDialog::closeEvent(e);
}

void TFrmWaitZip::reject() {
    if (!busy_)
        QDialog::reject();
}

int TFrmWaitZip::runBusy(const std::function<int()>& work) {
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    Anm1->start();
    repaint();
    busy_ = true;

    int result = 0;
    std::exception_ptr failure;
    QEventLoop loop;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            result = work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    // Paint and take window messages while the worker runs; user input to other windows is
    // blocked by the modality above.
    loop.exec(QEventLoop::ExcludeSocketNotifiers);
    worker->wait();

    busy_ = false;
    Anm1->stop();
    hide();
    setWindowModality(Qt::NonModal);
    if (failure)
        std::rethrow_exception(failure);
    return result;
}

int runWithBusyWindow(const std::function<int()>& work, TFrmWaitZip* window) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return work();
    if (window)
        return window->runBusy(work);
    TFrmWaitZip w;
    return w.runBusy(work);
}

} // namespace korvel
