#include "masterdata/ui/TfrmSsSet.h"

#include "core/AppContext.h"
#include "core/ui/FormFace.h"
#include "masterdata/ui/WindowPlace.h"

#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace masterdata::ui {

namespace {

const QString kCaption = QStringLiteral("提示");

QString pair(const QString& province, const QString& city) {
    return QLatin1Char('"') + province + QStringLiteral("--") + city + QLatin1Char('"');
}

} // namespace

TfrmSsSet::TfrmSsSet(core::AppContext& app, QWidget* parent)
    : QDialog(parent), m_app(app), m_store(app.db()) {
    setObjectName(QStringLiteral("TfrmSsSet"));
    setWindowTitle(QStringLiteral("省市代码设置"));
    setModal(true);
    resize(420, 460);

    CoS = new QComboBox(this);
    CoS->setObjectName(QStringLiteral("CoS"));
    lstS = new QListWidget(this);
    lstS->setObjectName(QStringLiteral("lstS"));
    // Two columns of cities, filled top to bottom.
    lstS->setFlow(QListView::TopToBottom);
    lstS->setWrapping(true);
    lstS->setResizeMode(QListView::Adjust);
    lstS->setGridSize(QSize(150, 22));
    lbSelected = new QLabel(this);
    lbSelected->setObjectName(QStringLiteral("lbSelected"));
    btAdd = new QPushButton(QStringLiteral("添 加"), this);
    btAdd->setObjectName(QStringLiteral("btAdd"));
    btModify = new QPushButton(QStringLiteral("修 改"), this);
    btModify->setObjectName(QStringLiteral("btModify"));
    btDelete = new QPushButton(QStringLiteral("删 除"), this);
    btDelete->setObjectName(QStringLiteral("btDelete"));
    btExit = new QPushButton(QStringLiteral("退 出(&X)"), this);
    btExit->setObjectName(QStringLiteral("btExit"));

    pnlInput = new QFrame(this);
    pnlInput->setObjectName(QStringLiteral("pnlInput"));
    pnlInput->setFrameShape(QFrame::Box);
    edtProvince = new QLineEdit(pnlInput);
    edtProvince->setObjectName(QStringLiteral("edtProvince"));
    edtCity = new QLineEdit(pnlInput);
    edtCity->setObjectName(QStringLiteral("edtCity"));
    btOk = new QPushButton(QStringLiteral("确 定"), pnlInput);
    btOk->setObjectName(QStringLiteral("btOk"));
    btCancel = new QPushButton(QStringLiteral("取 消"), pnlInput);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    auto* panelForm = new QFormLayout;
    panelForm->addRow(QStringLiteral("输入省（直辖市）："), edtProvince);
    panelForm->addRow(QStringLiteral("输入新的市（县）："), edtCity);
    auto* panelButtons = new QHBoxLayout;
    panelButtons->addStretch();
    panelButtons->addWidget(btOk);
    panelButtons->addWidget(btCancel);
    auto* panelLayout = new QVBoxLayout(pnlInput);
    panelLayout->addLayout(panelForm);
    panelLayout->addLayout(panelButtons);
    pnlInput->hide();

    auto* provinceRow = new QHBoxLayout;
    provinceRow->addWidget(new QLabel(QStringLiteral("省(直辖市)："), this));
    provinceRow->addWidget(CoS, 1);
    auto* selectedRow = new QHBoxLayout;
    selectedRow->addWidget(new QLabel(QStringLiteral("当前选中："), this));
    selectedRow->addWidget(lbSelected, 1);
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {btAdd, btModify, btDelete, btExit})
        commands->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(provinceRow);
    layout->addWidget(new QLabel(QStringLiteral("市(县)："), this));
    layout->addWidget(lstS, 1);
    layout->addLayout(selectedRow);
    layout->addWidget(pnlInput);
    layout->addLayout(commands);

    connect(CoS, &QComboBox::currentIndexChanged, this, &TfrmSsSet::CoSChange);
    connect(lstS, &QListWidget::itemClicked, this, &TfrmSsSet::lstSClick);
    connect(btAdd, &QPushButton::clicked, this, &TfrmSsSet::btAddClick);
    connect(btModify, &QPushButton::clicked, this, &TfrmSsSet::btModifyClick);
    connect(btDelete, &QPushButton::clicked, this, &TfrmSsSet::btDeleteClick);
    connect(btExit, &QPushButton::clicked, this, &QDialog::reject);
    connect(btOk, &QPushButton::clicked, this, &TfrmSsSet::btOkClick);
    connect(btCancel, &QPushButton::clicked, this, &TfrmSsSet::btCancelClick);
}

void TfrmSsSet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmSsSet::done(int result) {
    core::ui::FormFace::save(m_app.userIni(), *this);
    QDialog::done(result);
}

void TfrmSsSet::FormShow() {
    core::ui::FormFace::load(m_app.userIni(), *this);
    placeAtTop(*this);
    loadProvinces(QString());
}

void TfrmSsSet::notice(const QString& text) {
    m_app.dialogs().notice(text, kCaption);
}

QString TfrmSsSet::province() const {
    return CoS->currentText().trimmed();
}

QString TfrmSsSet::selectedCity() const {
    // Cities are listed with a leading blank; the stored value is compared trimmed.
    const QListWidgetItem* item = lstS->currentItem();
    return item && item->isSelected() ? item->text().trimmed() : QString();
}

void TfrmSsSet::loadProvinces(const QString& keep) {
    QStringList provinces;
    try {
        provinces = m_store.provinces();
    } catch (const core::DbError&) {
        // An unreadable table shows no provinces.
    }
    {
        const QSignalBlocker quiet(CoS);
        CoS->clear();
        for (const QString& p : std::as_const(provinces))
            CoS->addItem(p.trimmed());
        const int index = keep.isEmpty() ? 0 : CoS->findText(keep);
        CoS->setCurrentIndex(index >= 0 ? index : 0);
    }
    loadCities();
}

void TfrmSsSet::CoSChange() {
    loadCities();
}

void TfrmSsSet::loadCities() {
    lstS->clear();
    lbSelected->clear();
    if (CoS->currentIndex() < 0)
        return;
    try {
        for (const QString& city : m_store.cities(province()))
            lstS->addItem(QLatin1Char(' ') + city);
    } catch (const core::DbError&) {
        // The cities read before the error stay listed.
    }
}

void TfrmSsSet::lstSClick() {
    lbSelected->setText(selectedCity());
}

void TfrmSsSet::openPanel(const QString& city) {
    edtProvince->setText(province());
    edtCity->setText(city);
    for (QWidget* w : {static_cast<QWidget*>(CoS), static_cast<QWidget*>(lstS), static_cast<QWidget*>(btAdd),
                       static_cast<QWidget*>(btModify), static_cast<QWidget*>(btDelete)})
        w->setEnabled(false);
    pnlInput->show();
    edtCity->setFocus();
}

void TfrmSsSet::closePanel() {
    pnlInput->hide();
    for (QWidget* w : {static_cast<QWidget*>(CoS), static_cast<QWidget*>(lstS), static_cast<QWidget*>(btAdd),
                       static_cast<QWidget*>(btModify), static_cast<QWidget*>(btDelete)})
        w->setEnabled(true);
}

void TfrmSsSet::btAddClick() {
    m_modifying = false;
    openPanel(QString());
}

void TfrmSsSet::btModifyClick() {
    const QString city = selectedCity();
    if (city.isEmpty()) {
        notice(QStringLiteral("请先选中要修改的市(县)！"));
        return;
    }
    m_modifying = true;
    m_oldCity = city;
    openPanel(city);
}

void TfrmSsSet::btCancelClick() {
    closePanel();
}

void TfrmSsSet::btOkClick() {
    const QString newProvince = edtProvince->text().trimmed();
    const QString city = edtCity->text().trimmed();
    if (newProvince.isEmpty() || city.isEmpty()) {
        notice(QStringLiteral("省和市输入不能为空！"));
        return;
    }
    const QString shown = province();
    try {
        if (!m_modifying) {
            if (m_store.exists(newProvince, city)) {
                notice(pair(newProvince, city) + QStringLiteral(" 已经存在，不需要添加！"));
                edtCity->setFocus();
                return;
            }
            m_store.add(newProvince, city);
            if (!m_store.exists(newProvince, city)) {
                notice(QStringLiteral("意外错误！插入数据失败！"));
            } else {
                notice(pair(newProvince, city) + QStringLiteral("代码添加成功！"));
                loadProvinces(shown);
            }
        } else if (m_store.rename(newProvince, m_oldCity, city) > 0) {
            // Success is what the update changed: a pair that merely exists already proves nothing.
            notice(QStringLiteral("修改成功！"));
            loadCities();
        } else {
            notice(QStringLiteral("修改失败！"));
        }
    } catch (const core::DbError&) {
        notice(m_modifying ? QStringLiteral("修改失败！") : QStringLiteral("意外错误！插入数据失败！"));
    }
    closePanel();
}

void TfrmSsSet::btDeleteClick() {
    const QString shown = province();
    const QString city = selectedCity();
    if (!m_app.dialogs().ask(QStringLiteral("确认删除") + pair(shown, city) + QStringLiteral("吗？"),
                             kCaption))
        return;
    int deleted = 0;
    try {
        deleted = m_store.remove(shown, city);
    } catch (const core::DbError&) {
        deleted = 0;
    }
    if (deleted > 0) {
        notice(QStringLiteral("删除成功！"));
        loadCities();
    } else {
        notice(QStringLiteral("删除失败！"));
    }
}

void openRegionCodes(core::AppContext& app, QWidget* parent) {
    TfrmSsSet window(app, parent);
    window.exec();
}

} // namespace masterdata::ui
