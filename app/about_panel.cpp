#include "app/about_panel.h"

#include <algorithm>

#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWidget>

// The icon is compiled into this static library; register it before the first use.
static void InitIconResource() {
    Q_INIT_RESOURCE(zimbalo_icons);
}

namespace zimbalo::app {
namespace {

constexpr int kColumnWidth = 165;
constexpr int kRowHeight = 19;
constexpr int kIconSize = 48;

QString YesNo(bool flag) {
    return flag ? QStringLiteral("Yes") : QStringLiteral("No");
}

template <typename T>
T* FindOrCreate(QWidget& panel, const char* name) {
    T* widget = panel.findChild<T*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    if (widget == nullptr) {
        widget = new T(&panel);
        widget->setObjectName(QString::fromLatin1(name));
    }
    return widget;
}

}  // namespace

std::array<std::pair<QString, QString>, kVersionGridRows> VersionGridRows(
    const TFileVersionInfo& info) {
    return {{
        {QStringLiteral("FileType        "), info.FileType},
        {QStringLiteral("CompanyName     "), info.CompanyName},
        {QStringLiteral("FileDescription "), info.FileDescription},
        {QStringLiteral("FileVersion     "), info.FileVersion},
        {QStringLiteral("InternalName    "), info.InternalName},
        {QStringLiteral("LegalCopyRight  "), info.LegalCopyRight},
        {QStringLiteral("LegalTradeMarks "), info.LegalTradeMarks},
        {QStringLiteral("OriginalFileName"), info.OriginalFileName},
        {QStringLiteral("ProductName     "), info.ProductName},
        {QStringLiteral("ProductVersion  "), info.ProductVersion},
        {QStringLiteral("SpecialBuildStr "), info.SpecialBuild},
        {QStringLiteral("PrivateBuildStr "), info.PrivateBuild},
        {QStringLiteral("FileFunction    "), info.FileFunction},
        {QStringLiteral("DebugBuild      "), YesNo(info.DebugBuild)},
        {QStringLiteral("PreRelease      "), YesNo(info.PreRelease)},
        {QStringLiteral("PrivateBuild    "), YesNo(info.PrivateBuildFlag)},
        {QStringLiteral("SpecialBuild    "), YesNo(info.SpecialBuildFlag)},
    }};
}

void FillVersionGrid(QTableWidget& grid, const TFileVersionInfo& info) {
    grid.setColumnCount(2);
    grid.setRowCount(kVersionGridRows);
    const auto rows = VersionGridRows(info);
    for (int row = 0; row < kVersionGridRows; ++row) {
        const auto& [label, value] = rows[static_cast<std::size_t>(row)];
        for (int column = 0; column < 2; ++column) {
            QTableWidgetItem* item = grid.item(row, column);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                item->setFlags(Qt::ItemIsEnabled);
                grid.setItem(row, column, item);
            }
            item->setText(column == 0 ? label : value);
        }
    }
    // Long values (description, copyright) widen the value column rather than being cut off.
    for (int column = 0; column < 2; ++column) {
        grid.resizeColumnToContents(column);
        grid.setColumnWidth(column, std::max(grid.columnWidth(column), kColumnWidth));
    }
    const int frame = 2 * grid.frameWidth();
    grid.setFixedSize(grid.columnWidth(0) + grid.columnWidth(1) + frame,
                      kVersionGridRows * kRowHeight + frame);
}

void FillVersionGrid(QTableWidget& grid) {
    FillVersionGrid(grid, OwnVersionInfo());
}

QString AboutCaption(const QString& fileVersion) {
    return QStringLiteral("Zimbalo      ") + fileVersion;
}

void BuildAboutPanel(QWidget& panel) {
    InitIconResource();
    auto* icon = FindOrCreate<QLabel>(panel, "Image_Zimbalo");
    icon->setPixmap(QPixmap(QStringLiteral(":/icons/zimbalo-48.png")));
    icon->setFixedSize(kIconSize, kIconSize);

    auto* title = FindOrCreate<QLabel>(panel, "Label_Zimbalo");
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    title->setFont(titleFont);
    if (title->text().isEmpty()) {
        title->setText(AboutCaption(QString()));
    }

    auto* grid = FindOrCreate<QTableWidget>(panel, "StringGrid_VersionsInfo");
    grid->setColumnCount(2);
    grid->setRowCount(kVersionGridRows);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
    grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFocusPolicy(Qt::NoFocus);
    QFont gridFont = grid->font();
    gridFont.setBold(true);
    grid->setFont(gridFont);
    const int frame = 2 * grid->frameWidth();
    grid->setFixedSize(2 * kColumnWidth + frame, kVersionGridRows * kRowHeight + frame);

    auto* ok = FindOrCreate<QPushButton>(panel, "Button_About_OK");
    ok->setText(QStringLiteral("OK"));

    // Any earlier layout of the panel gives way to this one; the controls stay.
    delete panel.layout();
    auto* layout = new QVBoxLayout(&panel);
    auto* head = new QHBoxLayout;
    head->addWidget(icon);
    head->addWidget(title, 1);
    layout->addLayout(head);
    layout->addWidget(grid);
    auto* foot = new QHBoxLayout;
    foot->addStretch(1);
    foot->addWidget(ok);
    foot->addStretch(1);
    layout->addLayout(foot);
    panel.setAutoFillBackground(true);
    panel.resize(panel.sizeHint());
}

std::pair<int, int> AboutPanelPosition(int parentWidth, int panelWidth) {
    const int left = (parentWidth - panelWidth) / 2;
    return {left > 0 ? left : 0, 0};
}

AboutPanel::AboutPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Panel_About"));
    BuildAboutPanel(*this);
    hide();
    connect(findChild<QPushButton*>(QStringLiteral("Button_About_OK")), &QPushButton::clicked, this,
            &QWidget::hide);
}

void AboutPanel::Refresh() {
    app::FillVersionGrid(*findChild<QTableWidget*>(QStringLiteral("StringGrid_VersionsInfo")));
}

void AboutPanel::Open() {
    Refresh();
    findChild<QLabel*>(QStringLiteral("Label_Zimbalo"))->setText(AboutCaption(FileVersion()));
    adjustSize();
    // At the top of the window, centred across it, never beyond its left edge.
    const QWidget* area = parentWidget();
    const auto [left, top] = AboutPanelPosition(area != nullptr ? area->width() : 0, width());
    move(left, top);
    show();
    raise();
}

}  // namespace zimbalo::app
