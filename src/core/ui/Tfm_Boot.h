#pragma once

#include <QPixmap>
#include <QWidget>

class QTimer;

namespace core::ui {

// The start-up splash: a borderless 370 × 249 window centred on the screen showing the picture
// stretched over it (blank when the picture is missing or unreadable).
class Tfm_Boot final : public QWidget {
    Q_OBJECT
public:
    explicit Tfm_Boot(const QString& picturePath, QWidget* parent = nullptr);

    // Shows the splash, keeps the program's events running until its timer's first tick
    // (500 ms), then hides it.
    void showAtLeastHalfASecond();
    bool hasPicture() const { return !m_picture.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
    QTimer* m_timer;
};

} // namespace core::ui
