#pragma once

#include <QDialog>

class QLabel;
class QScrollArea;

namespace core {
class AppContext;
}

namespace templates::ui {

// "青木鸟图示": a picture at its natural size; a click or double click on it closes the window.
class TfrmImageShow final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmImageShow(core::AppContext& app, QWidget* parent = nullptr);

    // The image of a template by its full name; says so when the template has no image file.
    void loadPictureByFullName(const QString& name);
    // A picture file; false (and a message naming the file) when it cannot be read.
    bool loadPictureFile(const QString& path);
    QLabel* picture() const { return imgShow; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    core::AppContext& m_app;
    QScrollArea* m_scroll;
    QLabel* imgShow;
};

} // namespace templates::ui
