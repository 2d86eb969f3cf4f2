#include "app/information_panel.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/named_widget.h"

namespace zimbalo::app {

namespace {

constexpr int kGridRowHeight = 18;
constexpr int kLeftColumnWidth = 232;
// The grid's columns: label, value, unit.
constexpr int kGridColumnWidths[] = {95, 50, 61};

}  // namespace

InformationPanel::InformationPanel(QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("ScrollBox_Links"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    m_column = named(new QWidget, "Panel1");
    // The column's controls are laid out for a small sans-serif face, as the grid's column
    // widths expect.
    QFont small(QStringLiteral("Arial"));
    small.setPointSize(8);
    m_column->setFont(small);
    m_column->setFixedWidth(kLeftColumnWidth);
    m_layout = new QVBoxLayout(m_column);
    m_layout->setContentsMargins(3, 1, 3, 1);
    m_layout->setSpacing(1);

    buildEventGroups();
    buildElementGrid();
    buildChoiceGroups();
    m_layout->addStretch(1);

    setWidget(m_column);
    setFixedWidth(kLeftColumnWidth + verticalScrollBar()->sizeHint().width());
}

void InformationPanel::AddGroup(QWidget* group) {
    // Before the closing stretch.
    m_layout->insertWidget(m_layout->count() - 1, group);
}

void InformationPanel::buildEventGroups() {
    auto* box = named(new QGroupBox(m_column), "GroupBox_Bedeckung");
    {
        auto* l = groupLayout<QHBoxLayout>(box);
        m_event = named(new QScrollBar(Qt::Horizontal), "ScrollBar_Bedeckung");
        m_event->setRange(1, 1780);
        m_event->setPageStep(10);
        m_event->setMinimumWidth(60);
        m_year = named(new QLineEdit, "Edit_Jahr");
        m_year->setFixedWidth(40);
        m_year->installEventFilter(this);
        l->addWidget(m_event, 1);
        l->addWidget(named(new QLabel, "Label_Jahr"));
        l->addWidget(m_year);
    }
    m_layout->addWidget(box);
    connect(m_event, &QScrollBar::valueChanged, this, &InformationPanel::eventChosen);

    auto* labels = named(new QWidget(m_column), "Panel2");
    {
        auto* l = new QVBoxLayout(labels);
        l->setContentsMargins(2, 0, 2, 0);
        l->setSpacing(0);
        m_planet = named(new QLabel, "Label_Planet");
        QFont big = m_planet->font();
        big.setBold(true);
        big.setPointSizeF(big.pointSizeF() * 1.2);
        m_planet->setFont(big);
        m_kind = named(new QLabel, "Label_Bedeckungstyp");
        m_dateTime = named(new QLabel, "Label_DatumZeit");
        for (QLabel* label : {m_planet, m_kind, m_dateTime})
            l->addWidget(label);
    }
    m_layout->addWidget(labels);
}

void InformationPanel::buildElementGrid() {
    m_grid = named(new QTableWidget(kGridRows, 3, m_column), "SG");
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setMinimumSectionSize(kGridRowHeight);
    m_grid->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    int width = 0;
    for (int c = 0; c < 3; ++c) {
        m_grid->setColumnWidth(c, kGridColumnWidths[c]);
        width += kGridColumnWidths[c];
    }
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::NoSelection);
    m_grid->setFocusPolicy(Qt::NoFocus);
    m_grid->setWordWrap(false);
    m_grid->setTextElideMode(Qt::ElideNone);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setFixedSize(width + 2 * m_grid->frameWidth(),
                         kGridRows * kGridRowHeight + 2 * m_grid->frameWidth());
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignVCenter | (c == 1 ? Qt::AlignRight : Qt::AlignLeft));
            m_grid->setItem(r, c, item);
        }
    }
    m_layout->addWidget(m_grid);
}

void InformationPanel::buildChoiceGroups() {
    auto* planets = named(new QGroupBox(m_column), "GroupBox_Planeten");
    {
        auto* l = groupLayout<QGridLayout>(planets);
        l->setHorizontalSpacing(2);
        l->setVerticalSpacing(0);
        // The planets' short names are the same in every language.
        const char* names[] = {"CheckBox_Mer", "CheckBox_Ven", "CheckBox_Mar", "CheckBox_Jup",
                               "CheckBox_Sat", "CheckBox_Ura", "CheckBox_Nep"};
        const char* texts[] = {"Mer", "Ven", "Mar", "Jup", "Sat", "Ura", "Nep"};
        QList<QCheckBox*> boxes;
        for (int i = 0; i < 7; ++i) {
            boxes.append(named(new QCheckBox(QString::fromLatin1(texts[i])), names[i]));
            l->addWidget(boxes.back(), i / 4, i % 4);
        }
        auto* all = named(new QPushButton, "Button_alle");
        l->addWidget(all, 1, 3);
        connect(all, &QPushButton::clicked, this, [boxes] {
            for (QCheckBox* box : boxes)
                box->setChecked(true);
        });
        // The choice of planets, once per change of a box.
        for (QCheckBox* box : boxes) {
            connect(box, &QCheckBox::toggled, this, [this, boxes] {
                unsigned mask = 0;
                for (int i = 0; i < boxes.size(); ++i) {
                    if (boxes[i]->isChecked())
                        mask |= 1u << i;
                }
                emit planetsChosen(mask);
            });
        }
    }
    m_layout->addWidget(planets);

    auto* timeScale = named(new QGroupBox(m_column), "GroupBox_ET_UT");
    {
        auto* l = groupLayout<QHBoxLayout>(timeScale);
        m_universalTime = named(new QCheckBox(QStringLiteral("TT")), "CheckBox_ET_UT");
        l->addWidget(m_universalTime);
    }
    m_layout->addWidget(timeScale);
    connect(m_universalTime, &QCheckBox::toggled, this, &InformationPanel::universalTimeChosen);
}

void InformationPanel::SetEventCount(int count) {
    const QSignalBlocker blocker(m_event);
    m_event->setRange(1, std::max(1, count));
}

void InformationPanel::setGridRow(int row, const GridRow& texts) {
    m_grid->item(row, 0)->setText(texts.label);
    m_grid->item(row, 1)->setText(texts.value);
    m_grid->item(row, 2)->setText(texts.unit);
}

void InformationPanel::Show(const ShownInstant& shown, ShownInstant::Change change) {
    if (change.event) {
        const QSignalBlocker blocker(m_event);
        m_event->setValue(shown.Index());
        m_year->setText(QString::number(shown.Record().Year));
    }
    {
        const QSignalBlocker blocker(m_universalTime);
        m_universalTime->setChecked(shown.UniversalTime());
    }
    m_universalTime->setText(shown.TimeScaleText());
    m_planet->setText(shown.PlanetText());
    m_kind->setText(shown.KindText());
    m_dateTime->setText(shown.DateTimeText());
    const auto& rows = shown.Rows();
    for (int row = 0; row < kGridRows; ++row) {
        // Row 11 is the overlay's; rows 12 and 19 are never written.
        if (row != 11 && row != 12 && row != 19)
            setGridRow(row, rows[static_cast<std::size_t>(row)]);
    }
}

void InformationPanel::ShowUmbralDiameter(const GridRow& row) {
    setGridRow(11, row);
}

bool InformationPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_year && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (const std::optional<int> year = YearOfText(m_year->text())) {
                m_year->setText(QString::number(*year));
                emit yearEntered(*year);
            }
        }
    }
    return QScrollArea::eventFilter(watched, event);
}

}  // namespace zimbalo::app
