#include "entry/ui/ProductPicker.h"

#include "core/AppContext.h"
#include "core/ui/DataGrid.h"
#include "core/ui/GridServices.h"
#include "entry/NoteText.h"
#include "entry/ui/NoteEditing.h"
#include "masterdata/ProductStore.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace entry::ui {

// The entry window's name, under which its grid widths have always been kept.
const QString ProductPicker::kSection = QStringLiteral("fmCheckFHDSHD");

namespace {
constexpr int kInitialWidth = 520;
constexpr int kMinimumWidth = 200;
constexpr int kWidthStep = 3;
constexpr int kMinimumHeight = 60;
} // namespace

ProductPicker::ProductPicker(core::AppContext& app, core::ui::GridServices& grids, NoteEditing& editing,
                             QWidget* checkArea)
    : QFrame(checkArea), m_app(app), m_grids(grids), m_editing(editing), m_area(checkArea),
      m_grid(new core::ui::DataGrid(app.db(), this)), m_classFilter(new QComboBox(this)) {
    setObjectName(QStringLiteral("PanelGoodList"));
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);

    auto* links = new QHBoxLayout;
    links->setContentsMargins(2, 2, 2, 2);
    links->setSpacing(4);
    connect(link(QStringLiteral("[管理商品]"), QStringLiteral("lbManageGoods")), &QToolButton::clicked, this,
            &ProductPicker::lbManageGoodsClick);
    connect(link(QStringLiteral("[保存列宽]"), QStringLiteral("lbSaveWidths")), &QToolButton::clicked, this,
            &ProductPicker::lbSaveWidthsClick);
    connect(link(QStringLiteral("[管理列]"), QStringLiteral("lbColumns")), &QToolButton::clicked, this,
            [this] { m_grids.GridColsConfigration(*m_grid, kSection); });
    connect(link(QStringLiteral("[+]"), QStringLiteral("lbPlus")), &QToolButton::clicked, this,
            &ProductPicker::lbPlusClick);
    connect(link(QStringLiteral("[-]"), QStringLiteral("lbMinus")), &QToolButton::clicked, this,
            &ProductPicker::lbMinusClick);
    connect(link(QStringLiteral("[关闭]"), QStringLiteral("lbClose")), &QToolButton::clicked, this,
            &QWidget::hide);
    connect(link(QStringLiteral("[选空]"), QStringLiteral("lbChooseEmpty")), &QToolButton::clicked, this,
            &ProductPicker::lbChooseEmptyClick);
    auto* hint = new QLabel(QStringLiteral("Enter选/ESC取消"), this);
    hint->setObjectName(QStringLiteral("lbPickHint"));
    hint->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    connect(link(QStringLiteral("分类:"), QStringLiteral("lbClass")), &QToolButton::clicked, this,
            &ProductPicker::lbManageGoodsClick);
    m_classFilter->setObjectName(QStringLiteral("cbFilterClass"));
    m_classFilter->installEventFilter(this);
    connect(m_classFilter, &QComboBox::textActivated, this, &ProductPicker::cbFilterClassSelect);
    for (QObject* child : children())
        if (auto* button = qobject_cast<QToolButton*>(child))
            links->addWidget(button);
    // The hint takes the room left over, and is the first to give way in a narrow picker.
    links->insertWidget(links->count() - 1, hint, 1);
    links->addWidget(m_classFilter);

    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setSelectedColors(QColor(Qt::blue), QColor(Qt::white));
    m_grid->setRowColors([](const core::ui::DataGrid&, int row) {
        // Record numbers count from 1: odd records white, even ones light blue.
        return core::ui::DataGrid::RowColors{row % 2 == 0 ? QColor(Qt::white) : QColor(0xDD, 0xEE, 0xFF),
                                             QColor(Qt::black)};
    });
    m_grid->installEventFilter(this);
    connect(m_grid, &QAbstractItemView::clicked, this, &ProductPicker::pick);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addLayout(links);
    layout->addWidget(m_grid);
    resize(kInitialWidth, 240);
    hide();
}

QToolButton* ProductPicker::link(const QString& caption, const QString& name) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(caption);
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    // A narrow picker cuts the key hint, never the commands.
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return button;
}

void ProductPicker::attach() {
    for (int n = 1; n <= NoteEditing::kLines; ++n) {
        if (QWidget* name = m_editing.box(NoteEditing::lineBox("zdSFNR", n))) {
            name->installEventFilter(this);
            if (auto* edit = qobject_cast<QLineEdit*>(name))
                connect(edit, &QLineEdit::textEdited, this, [this, n](const QString& typed) {
                    if (isHidden())
                        openFor(n);
                    loadDataGoods(typed.trimmed());
                });
        }
        for (const char* prefix : {"zdHuoHao", "zdSL"})
            if (QWidget* w = m_editing.box(NoteEditing::lineBox(prefix, n)))
                w->installEventFilter(this);
    }
    for (const char* name : {"bgImage", "panelImgBg"})
        if (QWidget* w = m_editing.box(QLatin1String(name)))
            w->installEventFilter(this);
}

int ProductPicker::line() const {
    const QLatin1String prefix("zdSFNR");
    if (!m_caption.startsWith(prefix, Qt::CaseInsensitive))
        return 0;
    const int n = m_caption.mid(prefix.size()).toInt();
    return n >= 1 && n <= NoteEditing::kLines ? n : 0;
}

int ProductPicker::toolBarHeight() const {
    QWidget* bar = m_editing.box(QStringLiteral("toolBarCheck"));
    return bar && bar->isVisibleTo(bar->window()) ? bar->height() : 0;
}

void ProductPicker::openFor(int n) {
    QWidget* name = m_editing.box(NoteEditing::lineBox("zdSFNR", n));
    if (!name || !m_area)
        return;
    m_caption = name->objectName();
    const QPoint at = m_area->mapFromGlobal(name->mapToGlobal(QPoint(0, name->height() - 2)));
    move(at);
    resize(width(), std::max(kMinimumHeight, m_area->height() - at.y() - toolBarHeight()));
    loadDataGoods(QString());
    show();
    raise();
}

void ProductPicker::load(const QString& sql, const QVariantMap& params) {
    try {
        m_grid->setQuery(sql, params);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("查找错误，") + e.message());
        return;
    }
    m_grids.GridColsWidthLoad(*m_grid, kSection);
    // As in any open list there is a current product, so Enter in the goods box picks it.
    if (m_grid->rowCount() > 0 && m_grid->currentRow() < 0)
        m_grid->setCurrentRow(0);
}

void ProductPicker::loadDataGoods(const QString& filter) {
    const NoteText::Statement statement = NoteText::productFilter(filter);
    load(statement.sql, statement.params);
}

void ProductPicker::loadDataGoodsByClass(const QString& productClass) {
    const NoteText::Statement statement = NoteText::productClass(productClass);
    load(statement.sql, statement.params);
}

void ProductPicker::pick() {
    const int n = line();
    if (!n || m_grid->currentRow() < 0)
        return;
    auto field = [this](const char* column) {
        return m_grid->currentValue(QString::fromUtf8(column)).toString();
    };
    m_editing.setText(NoteEditing::lineBox("zdSFNR", n), field("商品名"));
    m_editing.setText(NoteEditing::lineBox("zdHuoHao", n), field("货号"));
    m_editing.setText(NoteEditing::lineBox("zdGuiGe", n), field("规格"));
    m_editing.setText(NoteEditing::lineBox("zdDJ", n), field("单价"));
    m_editing.setText(NoteEditing::lineBox("zdDW", n), field("单位"));
    m_editing.setText(NoteEditing::lineBox("zdPro", n), field("其他属性"));
    const QString quantityName = NoteEditing::lineBox("zdSL", n);
    const QString quantity = m_editing.text(quantityName).trimmed();
    if (quantity.isEmpty() || quantity == QLatin1String("0"))
        m_editing.setText(quantityName, QStringLiteral("1"));
    if (m_editing.isShown(quantityName)) {
        QWidget* box = m_editing.box(quantityName);
        box->setFocus(Qt::OtherFocusReason);
        // The quantity is selected so that typing replaces the 1 put there for the pick.
        if (auto* edit = qobject_cast<QLineEdit*>(box))
            edit->selectAll();
    }
    m_editing.lineChanged(n);
    hide();
}

void ProductPicker::lbChooseEmptyClick() {
    if (const int n = line())
        m_editing.clearLine(n);
}

void ProductPicker::lbPlusClick() {
    if (m_area && width() < m_area->width() - x())
        resize(width() + kWidthStep, height());
}

void ProductPicker::lbMinusClick() {
    if (width() > kMinimumWidth)
        resize(width() - kWidthStep, height());
}

void ProductPicker::lbSaveWidthsClick() {
    m_grids.GridColsWidthSave(*m_grid, kSection);
    m_app.dialogs().message(QStringLiteral("商品各列宽已保存！"));
}

void ProductPicker::lbManageGoodsClick() {
    if (!manageProducts)
        return;
    manageProducts();
    m_classFilter->clear();
    if (m_grid->isOpen())
        load(m_grid->sql(), m_grid->params());
}

void ProductPicker::cbFilterClassEnter() {
    if (m_classFilter->count() > 0)
        return;
    QStringList classes = masterdata::ProductStore(m_app.db()).classList();
    classes << QString();
    const QSignalBlocker quiet(m_classFilter);
    m_classFilter->addItems(classes);
    m_classFilter->setCurrentIndex(-1);
}

void ProductPicker::cbFilterClassSelect(const QString& productClass) {
    loadDataGoodsByClass(productClass);
}

bool ProductPicker::goodsNameKey(int n, int key) {
    switch (key) {
    case Qt::Key_Escape:
        hide();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (isHidden())
            return false;
        pick();
        return true;
    case Qt::Key_Down:
        if (isHidden())
            return m_editing.moveGoodsFocus(n, true);
        m_grid->setFocus(Qt::OtherFocusReason);
        if (m_grid->currentRow() < 0 && m_grid->rowCount() > 0)
            m_grid->setCurrentRow(0);
        return true;
    case Qt::Key_Up:
        if (isHidden())
            return m_editing.moveGoodsFocus(n, false);
        hide();
        return true;
    default:
        return false;
    }
}

bool ProductPicker::eventFilter(QObject* watched, QEvent* event) {
    auto lineOf = [watched](const char* prefix) {
        const QString name = watched->objectName();
        const QLatin1String p(prefix);
        if (!name.startsWith(p, Qt::CaseInsensitive))
            return 0;
        const int n = name.mid(p.size()).toInt();
        return n >= 1 && n <= NoteEditing::kLines ? n : 0;
    };
    if (watched == m_classFilter) {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonPress)
            cbFilterClassEnter();
        return false;
    }
    if (watched == m_grid) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                pick();
                return true;
            }
            if (key == Qt::Key_Escape) {
                hide();
                return true;
            }
        }
        return false;
    }
    if (const int n = lineOf("zdSFNR")) {
        switch (event->type()) {
        case QEvent::FocusIn:
            openFor(n);
            break;
        case QEvent::MouseButtonPress:
            if (isHidden())
                openFor(n);
            break;
        case QEvent::KeyPress:
            return goodsNameKey(n, static_cast<QKeyEvent*>(event)->key());
        default:
            break;
        }
        return false;
    }
    if ((lineOf("zdHuoHao") && event->type() == QEvent::FocusIn) ||
        (lineOf("zdSL") && event->type() == QEvent::FocusOut) || event->type() == QEvent::MouseButtonPress)
        hide();
    return false;
}

} // namespace entry::ui
