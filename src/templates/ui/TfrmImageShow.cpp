#include "templates/ui/TfrmImageShow.h"

#include "core/AppContext.h"
#include "core/DbError.h"

#include <QEvent>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace templates::ui {

TfrmImageShow::TfrmImageShow(core::AppContext& app, QWidget* parent)
    : QDialog(parent), m_app(app), m_scroll(new QScrollArea(this)), imgShow(new QLabel) {
    setObjectName(QStringLiteral("TfrmImageShow"));
    setWindowTitle(QStringLiteral("青木鸟图示"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    imgShow->setObjectName(QStringLiteral("imgShow"));
    imgShow->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    imgShow->installEventFilter(this);
    m_scroll->setWidget(imgShow);
    m_scroll->setWidgetResizable(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);
    resize(870, 640);
}

bool TfrmImageShow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == imgShow &&
        (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonDblClick)) {
        close();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TfrmImageShow::loadPictureFile(const QString& path) {
    imgShow->clear();
    // Pictures come from the program folder but may have been replaced: read them bounded.
    QImageReader reader(path);
    reader.setAllocationLimit(256);
    const QImage image = reader.read();
    if (image.isNull()) {
        m_app.dialogs().message(QStringLiteral("图片文件无法打开：") + QFileInfo(path).fileName());
        return false;
    }
    imgShow->setPixmap(QPixmap::fromImage(image));
    imgShow->resize(image.size());
    return true;
}

void TfrmImageShow::loadPictureByFullName(const QString& name) {
    imgShow->clear();
    setWindowTitle(QStringLiteral("青木鸟软件-模板图片查看【") + name + QStringLiteral("】"));
    if (name.isEmpty())
        return;
    try {
        core::Recordset rs =
            m_app.db().query(QStringLiteral("select * from CKTypeTable where typename=:name"),
                             {{QStringLiteral("name"), name}});
        if (rs.isEmpty())
            return;
        rs.first();
        const QString file = rs.text(QStringLiteral("ImgFile"));
        if (file.isEmpty()) {
            m_app.dialogs().message(QStringLiteral("没有有效的图片文件~"));
            return;
        }
        loadPictureFile(m_app.pathOf(QStringLiteral("Image/") + file));
    } catch (const core::DbError& e) {
        m_app.dialogs().message(e.message());
    }
}

} // namespace templates::ui
