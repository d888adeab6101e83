#include "upgrade/ui/TfrmUp2NewVersion.h"

#include "core/AppContext.h"
#include "core/InstallRecord.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace upgrade::ui {

namespace {
const QString kChoose = QStringLiteral("请选择..");
} // namespace

TfrmUp2NewVersion::TfrmUp2NewVersion(core::AppContext& app, const QString& programFile,
                                     core::InstallRecord* record, QWidget* parent)
    : QDialog(parent), cbAppFile(new QComboBox(this)),
      btBrowse(new QPushButton(QStringLiteral("浏览"), this)),
      btEnvTest(new QPushButton(QStringLiteral("  升级环境检测"), this)), memoNotes(new QPlainTextEdit(this)),
      btStartUpdate(new QPushButton(QStringLiteral("3、开始升级"), this)),
      BitBtn4(new QPushButton(QStringLiteral("4、关   闭"), this)), ProgressBar1(new QProgressBar(this)),
      lbMessage(new QLabel(QStringLiteral("进度:"), this)), m_app(app), m_record(record),
      m_focusClock(new QTimer(this)) {
    setObjectName(QStringLiteral("TfrmUp2NewVersion"));
    setWindowTitle(QStringLiteral("青木鸟软件升级包"));
    cbAppFile->setObjectName(QStringLiteral("cbAppFile"));
    cbAppFile->setEditable(true);
    cbAppFile->setEditText(QDir::toNativeSeparators(programFile));
    btBrowse->setObjectName(QStringLiteral("btBrowse"));
    btEnvTest->setObjectName(QStringLiteral("btEnvTest"));
    memoNotes->setObjectName(QStringLiteral("memoNotes"));
    memoNotes->setReadOnly(true);
    memoNotes->setPlainText(QStringLiteral(
        "1、模板、模板项目与收件人列表增加新的费用及勾选项目（体积、代收金额、手续费、保价、运费、加急费、"
        "包装费、送货费、其他费、金额大写、勾选0～12、自定义3～5）；\n"
        "2、模板增加纸张宽高、模板种类与常用标记，常用快递模板自动设为常用；\n"
        "3、模板数据包同步升级，并记录新的数据版本；\n"
        "4、升级前自动备份数据文件，升级中途出错或取消时数据保持升级前的状态。"));
    btStartUpdate->setObjectName(QStringLiteral("btStartUpdate"));
    BitBtn4->setObjectName(QStringLiteral("BitBtn4"));
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, UpgradeRun::kMaximum);
    ProgressBar1->setValue(0);
    lbMessage->setObjectName(QStringLiteral("lbMessage"));
    for (QPushButton* button : {btBrowse, btEnvTest, btStartUpdate, BitBtn4})
        button->setAutoDefault(false);

    auto* heading = new QLabel(QStringLiteral("升级到V9.33"), this);
    heading->setObjectName(QStringLiteral("lbHeading"));
    QFont big = heading->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    heading->setFont(big);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("1、第一步，老版本的软件路径："), this), 0, 0, 1, 2);
    grid->addWidget(cbAppFile, 1, 0);
    grid->addWidget(btBrowse, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("2、第二步，升级环境检测："), this), 2, 0);
    grid->addWidget(btEnvTest, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("升级功能说明:"), this), 3, 0, 1, 2);
    grid->addWidget(memoNotes, 4, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btStartUpdate);
    buttons->addStretch();
    buttons->addWidget(BitBtn4);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addWidget(ProgressBar1);
    layout->addWidget(lbMessage);
    resize(560, 460);

    connect(btBrowse, &QPushButton::clicked, this, &TfrmUp2NewVersion::btBrowseClick);
    connect(btEnvTest, &QPushButton::clicked, this, &TfrmUp2NewVersion::btEnvTestClick);
    connect(btStartUpdate, &QPushButton::clicked, this, &TfrmUp2NewVersion::btStartUpdateClick);
    connect(BitBtn4, &QPushButton::clicked, this, &TfrmUp2NewVersion::reject);
    // While shown, the window keeps the focus, so the run is not left behind another window.
    m_focusClock->setInterval(2000);
    connect(m_focusClock, &QTimer::timeout, this, [this] {
        if (isVisible() && !QApplication::activeModalWidget()) {
            raise();
            activateWindow();
        }
    });
    m_focusClock->start();
}

void TfrmUp2NewVersion::btBrowseClick() {
    const QString file = m_app.dialogs().openFileName(QStringLiteral("选择老版本的主运行程序"),
                                                      QStringLiteral("主程序 (*.exe);;所有文件 (*)"));
    if (!file.isEmpty())
        cbAppFile->setEditText(QDir::toNativeSeparators(file));
}

void TfrmUp2NewVersion::btEnvTestClick() {
    btStartUpdate->setEnabled(true);
    QString file = cbAppFile->currentText().trimmed();
    if ((file.isEmpty() || file == kChoose) && m_record) {
        // No program named: the folder an earlier installation registered.
        const QString runPath = m_record->read(QStringLiteral("RunPath"));
        if (!runPath.isEmpty() && runPath != core::InstallRecord::missingValue() && QDir(runPath).exists()) {
            cbAppFile->setEditText(kChoose);
            cbAppFile->setStyleSheet(QStringLiteral("color: red"));
        }
    }
    m_app.dialogs().message(UpgradeRun::checkEnvironment(cbAppFile->currentText()));
}

void TfrmUp2NewVersion::btStartUpdateClick() {
    btStartUpdate->setEnabled(false);
    UpgradeRun run(m_app);
    run.createMatchColumn = createMatchColumn;
    run.progress = [this](int position, const QString& line) {
        ProgressBar1->setValue(position);
        lbMessage->setText(line);
    };
    run.pump = [this] {
        QCoreApplication::processEvents();
        return m_stop;
    };
    m_running = true;
    m_stop = false;
    const UpgradeRun::Outcome outcome = run.run();
    m_running = false;
    btStartUpdate->setEnabled(true);
    if (outcome == UpgradeRun::Outcome::Upgraded)
        accept();
}

// Closing while the run walks the templates asks it to stop; it then restores the data.
void TfrmUp2NewVersion::reject() {
    if (m_running) {
        m_stop = true;
        return;
    }
    QDialog::reject();
}

} // namespace upgrade::ui
