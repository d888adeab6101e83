#include "core/ui/Tfm_Boot.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace core::ui {

Tfm_Boot::Tfm_Boot(const QString& picturePath, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_picture(picturePath), m_timer(new QTimer(this)) {
    setObjectName(QStringLiteral("fm_Boot"));
    setFixedSize(370, 249);
    m_timer->setObjectName(QStringLiteral("TimerBoot"));
    m_timer->setInterval(500);
    m_timer->setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the splash must stay the full half second.
    m_timer->setTimerType(Qt::PreciseTimer);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r(QPoint(), size());
        r.moveCenter(screen->geometry().center());
        move(r.topLeft());
    }
}

void Tfm_Boot::showAtLeastHalfASecond() {
    show();
    raise();
    QEventLoop loop;
    connect(m_timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    m_timer->start();
    loop.exec();
    hide();
}

void Tfm_Boot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_picture.isNull())
        painter.fillRect(rect(), palette().window());
    else
        painter.drawPixmap(rect(), m_picture);
}

} // namespace core::ui
