#include "print/ui/TfrmTestPage.h"

#include "core/AppContext.h"
#include "core/DbError.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace print::ui {

TfrmTestPage::TfrmTestPage(core::AppContext& app, PrintDevice& device, int checkTypeId, QWidget* parent)
    : QDialog(parent), m_app(app), m_device(device), m_id(checkTypeId) {
    setObjectName(QStringLiteral("TfrmTestPage"));
    setWindowTitle(QStringLiteral("打印测试页"));
    auto* layout = new QVBoxLayout(this);
    QString name;
    try {
        name = app.db()
                   .scalar(QStringLiteral("select TypeName from CKTypeTable where CheckTypeID=:id"),
                           {{QStringLiteral("id"), checkTypeId}})
                   .toString();
    } catch (const core::DbError&) {
    }
    layout->addWidget(new QLabel(QStringLiteral("模板：%1").arg(name), this));
    layout->addWidget(new QLabel(QStringLiteral("打在白纸或一张票据上，看每个数值落在哪里："), this));
    m_values = new QRadioButton(QStringLiteral("打印各项目的测试值"), this);
    m_values->setObjectName(QStringLiteral("rbValues"));
    m_values->setChecked(true);
    auto* frames = new QRadioButton(QStringLiteral("打印各项目的打印框和名称"), this);
    frames->setObjectName(QStringLiteral("rbFrames"));
    layout->addWidget(m_values);
    layout->addWidget(frames);
    auto* buttons = new QHBoxLayout;
    auto* print = new QPushButton(QStringLiteral("打印"), this);
    print->setObjectName(QStringLiteral("btPrint"));
    print->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("btClose"));
    buttons->addStretch();
    buttons->addWidget(print);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(print, &QPushButton::clicked, this, &TfrmTestPage::btPrintClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmTestPage::btPrintClick() {
    if (TestPage::print(m_app, m_device, m_id,
                        m_values->isChecked() ? TestPage::Mode::Values : TestPage::Mode::Frames))
        accept();
}

} // namespace print::ui
