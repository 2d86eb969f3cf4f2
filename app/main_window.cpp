#include "app/main_window.h"

#include <cmath>
#include <initializer_list>

#include <QAbstractItemView>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/info_panel.h"
#include "app/user_manual.h"
#include "app/version_info.h"
#include "astro/time_scales.h"
#include "globe/geo_exception.h"
#include "globe/geo_spatial_database.h"
#include "globe/view/globe_view.h"

namespace zimbalo::app {

namespace {

constexpr int kTitleSuffixRow = 26;
constexpr int kRowHintFastReverse = 20;
constexpr int kRowHintReverse = 21;
constexpr int kRowHintStop = 22;
constexpr int kRowHintPlay = 23;
constexpr int kRowHintFastPlay = 24;
constexpr int kRowHintTimeSlider = 25;

// Play steps in slider positions (one position is 2 seconds of event time).
constexpr int kStepPlay = 5;
constexpr int kStepFastPlay = 30;

constexpr int kGridRowHeight = 18;
constexpr int kLeftColumnWidth = 232;

template <typename T>
T* named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

/// The layout of a group box of the left column, with the margins all of them share.
template <typename Layout>
Layout* groupLayout(QWidget* box) {
    auto* l = new Layout(box);
    l->setContentsMargins(4, 0, 4, 2);
    return l;
}

/// A panel over the main window's inside, hidden until a menu shows it.
QWidget* popupPanel(QWidget* parent, const char* name) {
    auto* p = named(new QWidget(parent), name);
    p->setAutoFillBackground(true);
    p->hide();
    return p;
}

QPushButton* namedButton(QWidget* parent, const char* name, const QString& text) {
    return named(new QPushButton(text, parent), name);
}

QLabel* namedLabel(QWidget* parent, const char* name, const QString& text) {
    return named(new QLabel(text, parent), name);
}

/// Lays out a panel of the points-of-interest list: its title lines, the list taking the free
/// height, and a row of two buttons under it.
void layOutListPanel(QWidget* panel, std::initializer_list<QWidget*> titles, QWidget* list,
                     QWidget* first, QWidget* second) {
    auto* l = new QVBoxLayout(panel);
    for (QWidget* title : titles)
        l->addWidget(title);
    l->addWidget(list, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(first);
    buttons->addWidget(second);
    l->addLayout(buttons);
    panel->resize(620, 420);
}

/// A number typed with "." as decimal separator; 0 for text that is none.
double numberOfText(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

}  // namespace

double OffsetOfPosition(int position) {
    return static_cast<double>(position - kTimeSliderCentre) / kTimeSliderCentre * 3.5;
}

int PositionOfOffset(double hours) {
    if (!std::isfinite(hours))
        return kTimeSliderCentre;
    const double p = std::nearbyint(hours * kTimeSliderCentre / 3.5 + kTimeSliderCentre);
    if (p <= 0.0)
        return 0;
    if (p >= kTimeSliderMax)
        return kTimeSliderMax;
    return static_cast<int>(p);
}

std::optional<int> YearOfText(const QString& text) {
    bool ok = false;
    const long long year = text.trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return static_cast<int>(std::clamp<long long>(year, 1980, 2100));
}

TForm_Main::TForm_Main(const AppFolders& folders, const SettingsRecord& settings,
                       astro::BesselTable table, dialogs::UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent),
      m_folders(folders),
      m_settings(settings),
      m_table(std::move(table)),
      m_dialogs(dialogs) {
    setObjectName(QStringLiteral("TForm_Main"));
    setWindowTitle(BaseTitle());
    buildMenus();
    buildLeftColumn();
    buildGlobePanel();
    buildPopupPanels();

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    row->addWidget(ScrollBox_Links);
    auto* right = new QWidget(central);
    auto* column = new QVBoxLayout(right);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(Panel_Globe, 1);
    column->addWidget(Time_ScrollBar);
    row->addWidget(right, 1);
    setCentralWidget(central);
    // The pop-up panels float over the window (placed by their subsystems).
    for (QWidget* panel : {Panel_PoIs_Edit, Panel_PoIs_Select, Panel_About}) {
        panel->setParent(central);
        panel->hide();
    }

    m_state.Closing = false;
    m_state.GlobeOriginX = settings.globeOriginX;
    m_state.GlobeOriginY = settings.globeOriginY;
    openLayerStore();
    ScrollBar_Bedeckung->setRange(1, std::max(1, m_table.Count()));

    SetupOverlays();
    SetupPoints();
    connectHandlers();
    applySettings(settings);
    LoadPoIList();
}

TForm_Main::~TForm_Main() {
    m_state.Animating = false;
    m_state.Closing = true;
    closeLayerStore();
}

void TForm_Main::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    File1 = named(bar->addMenu(QStringLiteral("&Datei")), "File1");
    Exit1 = named(File1->addAction(QStringLiteral("&Beenden")), "Exit1");
    Liste1 = named(bar->addMenu(QStringLiteral("&Liste erzeugen")), "Liste1");
    Sichtbarkeit = named(
        Liste1->addAction(QStringLiteral("Sichtbarkeit dieser Bedeckung an verschiedenen Orten")),
        "Sichtbarkeit");
    CityHist =
        named(Liste1->addAction(QStringLiteral("Alle Bedeckungen an einem bestimmten Ort suchen")),
              "CityHist");
    Markierung1 = named(bar->addMenu(QStringLiteral("Markierungen")), "Markierung1");
    Markierungen_Bearbeiten =
        named(Markierung1->addAction(QStringLiteral("Bearbeiten")), "Markierungen_Bearbeiten");
    Markierungen_Auswaehlen =
        named(Markierung1->addAction(QStringLiteral("Ausw\u00E4hlen")), "Markierungen_Auswaehlen");
    Option1 = named(bar->addMenu(QStringLiteral("&Option")), "Option1");
    LanguageGroup = named(new QActionGroup(this), "LanguageGroup");
    LanguageGroup->setExclusive(true);
    Opt_Deutsch = named(Option1->addAction(QStringLiteral("Deutsch")), "Opt_Deutsch");
    Opt_English = named(Option1->addAction(QStringLiteral("English")), "Opt_English");
    Opt_Francais = named(Option1->addAction(QStringLiteral("Fran\u00E7ais")), "Opt_Francais");
    for (QAction* a : {Opt_Deutsch, Opt_English, Opt_Francais}) {
        a->setCheckable(true);
        LanguageGroup->addAction(a);
    }
    Opt_Deutsch->setChecked(true);
    Hilfe1 = named(bar->addMenu(QStringLiteral("&Hilfe")), "Hilfe1");
    Hilfe2 = named(Hilfe1->addAction(QStringLiteral("Zimbalo &Hilfe")), "Hilfe2");
    Version1 = named(Hilfe1->addAction(QStringLiteral("Zimbalo &Version")), "Version1");
}

void TForm_Main::buildLeftColumn() {
    ScrollBox_Links = named(new QScrollArea(this), "ScrollBox_Links");
    ScrollBox_Links->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox_Links->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ScrollBox_Links->setFrameShape(QFrame::NoFrame);
    ScrollBox_Links->setWidgetResizable(true);
    Panel1 = named(new QWidget, "Panel1");
    // The column's controls are laid out for a small sans-serif face, as the grid's column
    // widths expect.
    QFont small(QStringLiteral("Arial"));
    small.setPointSize(8);
    Panel1->setFont(small);
    Panel1->setFixedWidth(kLeftColumnWidth);
    auto* col = new QVBoxLayout(Panel1);
    col->setContentsMargins(3, 1, 3, 1);
    col->setSpacing(1);

    buildEventGroups(col);
    buildElementGrid(col);
    buildChoiceGroups(col);
    buildGlobeGroup(col);
    buildMarkerGroup(col);
    col->addStretch(1);

    ScrollBox_Links->setWidget(Panel1);
    ScrollBox_Links->setFixedWidth(kLeftColumnWidth
                                   + ScrollBox_Links->verticalScrollBar()->sizeHint().width());
}

void TForm_Main::buildEventGroups(QVBoxLayout* col) {
    GroupBox_Bedeckung =
        named(new QGroupBox(QStringLiteral("Bedeckung im Jahr ..."), Panel1), "GroupBox_Bedeckung");
    {
        auto* l = groupLayout<QHBoxLayout>(GroupBox_Bedeckung);
        ScrollBar_Bedeckung = named(new QScrollBar(Qt::Horizontal), "ScrollBar_Bedeckung");
        ScrollBar_Bedeckung->setRange(1, 1780);
        ScrollBar_Bedeckung->setPageStep(10);
        Label_Jahr = named(new QLabel(QStringLiteral("Jahr")), "Label_Jahr");
        Edit_Jahr = named(new QLineEdit, "Edit_Jahr");
        Edit_Jahr->setFixedWidth(40);
        ScrollBar_Bedeckung->setMinimumWidth(60);
        l->addWidget(ScrollBar_Bedeckung, 1);
        l->addWidget(Label_Jahr);
        l->addWidget(Edit_Jahr);
    }
    col->addWidget(GroupBox_Bedeckung);

    Panel2 = named(new QWidget(Panel1), "Panel2");
    {
        auto* l = new QVBoxLayout(Panel2);
        l->setContentsMargins(2, 0, 2, 0);
        l->setSpacing(0);
        Label_Planet = named(new QLabel, "Label_Planet");
        QFont big = Label_Planet->font();
        big.setBold(true);
        big.setPointSizeF(big.pointSizeF() * 1.2);
        Label_Planet->setFont(big);
        Label_Bedeckungstyp = named(new QLabel, "Label_Bedeckungstyp");
        Label_DatumZeit = named(new QLabel, "Label_DatumZeit");
        for (QLabel* label : {Label_Planet, Label_Bedeckungstyp, Label_DatumZeit})
            l->addWidget(label);
    }
    col->addWidget(Panel2);
}

void TForm_Main::buildElementGrid(QVBoxLayout* col) {
    SG = named(new QTableWidget(kGridRows, 3, Panel1), "SG");
    SG->horizontalHeader()->hide();
    SG->verticalHeader()->hide();
    SG->verticalHeader()->setMinimumSectionSize(kGridRowHeight);
    SG->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
    SG->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SG->setColumnWidth(0, 95);
    SG->setColumnWidth(1, 50);
    SG->setColumnWidth(2, 61);
    SG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG->setSelectionMode(QAbstractItemView::NoSelection);
    SG->setFocusPolicy(Qt::NoFocus);
    SG->setWordWrap(false);
    SG->setTextElideMode(Qt::ElideNone);
    SG->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SG->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SG->setFixedSize(95 + 50 + 61 + 2 * SG->frameWidth(),
                     kGridRows * kGridRowHeight + 2 * SG->frameWidth());
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignVCenter | (c == 1 ? Qt::AlignRight : Qt::AlignLeft));
            SG->setItem(r, c, item);
        }
    }
    col->addWidget(SG);
}

void TForm_Main::buildChoiceGroups(QVBoxLayout* col) {
    GroupBox_Planeten =
        named(new QGroupBox(QStringLiteral("Planetenauswahl"), Panel1), "GroupBox_Planeten");
    {
        auto* l = groupLayout<QGridLayout>(GroupBox_Planeten);
        l->setHorizontalSpacing(2);
        l->setVerticalSpacing(0);
        const char* names[] = {"CheckBox_Mer", "CheckBox_Ven", "CheckBox_Mar", "CheckBox_Jup",
                               "CheckBox_Sat", "CheckBox_Ura", "CheckBox_Nep"};
        const char* texts[] = {"Mer", "Ven", "Mar", "Jup", "Sat", "Ura", "Nep"};
        QCheckBox** boxes[] = {&CheckBox_Mer, &CheckBox_Ven, &CheckBox_Mar, &CheckBox_Jup,
                               &CheckBox_Sat, &CheckBox_Ura, &CheckBox_Nep};
        for (int i = 0; i < 7; ++i) {
            *boxes[i] = named(new QCheckBox(QString::fromLatin1(texts[i])), names[i]);
            l->addWidget(*boxes[i], i / 4, i % 4);
        }
        Button_alle = named(new QPushButton(QStringLiteral("alle")), "Button_alle");
        l->addWidget(Button_alle, 1, 3);
    }
    col->addWidget(GroupBox_Planeten);

    GroupBox_ET_UT =
        named(new QGroupBox(QStringLiteral("DeltaT (TT oder UT)"), Panel1), "GroupBox_ET_UT");
    {
        auto* l = groupLayout<QHBoxLayout>(GroupBox_ET_UT);
        CheckBox_ET_UT = named(new QCheckBox(QStringLiteral("TT")), "CheckBox_ET_UT");
        l->addWidget(CheckBox_ET_UT);
    }
    col->addWidget(GroupBox_ET_UT);
}

void TForm_Main::buildGlobeGroup(QVBoxLayout* col) {
    GroupBox_Globus = named(new QGroupBox(QStringLiteral("Globus"), Panel1), "GroupBox_Globus");
    {
        auto* l = groupLayout<QGridLayout>(GroupBox_Globus);
        l->setVerticalSpacing(1);
        ComboBox_Globus = named(new QComboBox, "ComboBox_Globus");
        ComboBox_Globus->addItems({QStringLiteral("BlueMarble_5.4x2.7k"),
                                   QStringLiteral("DEMIS_World_3"), QStringLiteral("Politisch"),
                                   QStringLiteral("World_white")});
        ComboBox_GradNetz = named(new QComboBox, "ComboBox_GradNetz");
        for (QComboBox* box : {ComboBox_Globus, ComboBox_GradNetz}) {
            box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            box->setMinimumContentsLength(8);
            box->view()->setMinimumWidth(150);
        }
        ComboBox_GradNetz->addItems(
            {QStringLiteral("kein Gitter"), QStringLiteral("nur \u00C4quator"),
             QStringLiteral("10 Grad Gitter"), QStringLiteral("20 Grad Gitter"),
             QStringLiteral("30 Grad Gitter"), QStringLiteral("45 Grad Gitter"),
             QStringLiteral("90 Grad Gitter")});
        CheckBox_Cities =
            named(new QCheckBox(QStringLiteral("Hauptst\u00E4dte")), "CheckBox_Cities");
        CheckBox_SSP = named(new QCheckBox(QStringLiteral("Subplanetarer Punkt")), "CheckBox_SSP");
        l->addWidget(ComboBox_Globus, 0, 0);
        l->addWidget(ComboBox_GradNetz, 0, 1);
        auto* boxes = new QHBoxLayout;
        boxes->setSpacing(4);
        boxes->addWidget(CheckBox_Cities);
        boxes->addWidget(CheckBox_SSP, 1);
        l->addLayout(boxes, 1, 0, 1, 2);
    }
    col->addWidget(GroupBox_Globus);
}

void TForm_Main::buildMarkerGroup(QVBoxLayout* col) {
    GroupBox_Markierung =
        named(new QGroupBox(QStringLiteral("Markierung"), Panel1), "GroupBox_Markierung");
    {
        auto* l = groupLayout<QGridLayout>(GroupBox_Markierung);
        l->setVerticalSpacing(1);
        Edit_PoI_Breite = named(new QLineEdit, "Edit_PoI_Breite");
        Edit_PoI_Laenge = named(new QLineEdit, "Edit_PoI_Laenge");
        Edit_PoI_Breite->setFixedWidth(64);
        Edit_PoI_Laenge->setFixedWidth(64);
        RadioButton_PoI_Nord = named(new QRadioButton(QStringLiteral("N")), "RadioButton_PoI_Nord");
        RadioButton_PoI_Sued = named(new QRadioButton(QStringLiteral("S")), "RadioButton_PoI_Sued");
        RadioButton_PoI_Ost = named(new QRadioButton(QStringLiteral("O")), "RadioButton_PoI_Ost");
        RadioButton_PoI_West = named(new QRadioButton(QStringLiteral("W")), "RadioButton_PoI_West");
        m_northSouth = new QButtonGroup(this);
        m_northSouth->addButton(RadioButton_PoI_Nord);
        m_northSouth->addButton(RadioButton_PoI_Sued);
        m_eastWest = new QButtonGroup(this);
        m_eastWest->addButton(RadioButton_PoI_Ost);
        m_eastWest->addButton(RadioButton_PoI_West);
        CheckBox_PoI = named(new QCheckBox, "CheckBox_PoI");
        Label_DistA =
            named(new QLabel(QStringLiteral("Dist. zu Schattenachse: 0 km")), "Label_DistA");
        Label_DistB =
            named(new QLabel(QStringLiteral("Dist. zu Max. Finsternis: 0 km")), "Label_DistB");
        l->addWidget(Edit_PoI_Breite, 0, 0);
        l->addWidget(RadioButton_PoI_Nord, 0, 1);
        l->addWidget(RadioButton_PoI_Sued, 0, 2);
        l->addWidget(CheckBox_PoI, 0, 3);
        l->addWidget(Edit_PoI_Laenge, 1, 0);
        l->addWidget(RadioButton_PoI_Ost, 1, 1);
        l->addWidget(RadioButton_PoI_West, 1, 2);
        l->addWidget(Label_DistA, 2, 0, 1, 4);
        l->addWidget(Label_DistB, 3, 0, 1, 4);
    }
    col->addWidget(GroupBox_Markierung);
}

void TForm_Main::buildGlobePanel() {
    Panel_Globe = named(new QWidget(this), "Panel_Globe");
    Panel_Globe->setMinimumSize(200, 200);
    Panel_Globe->installEventFilter(this);
    Globe = named(new globe::GlobeView(Panel_Globe), "Globe");

    const struct {
        QPushButton** button;
        const char* name;
        const char* text;
        int hintRow;
    } buttons[] = {
        {&Button_FastReverse, "Button_FastReverse", "\u25C0\u25C0", kRowHintFastReverse},
        {&Button_Reverse, "Button_Reverse", "\u25C0", kRowHintReverse},
        {&Button_Stop, "Button_Stop", "\u25A0", kRowHintStop},
        {&Button_Play, "Button_Play", "\u25B6", kRowHintPlay},
        {&Button_FastPlay, "Button_FastPlay", "\u25B6\u25B6", kRowHintFastPlay},
    };

    for (const auto& b : buttons) {
        *b.button = named(new QPushButton(QString::fromUtf8(b.text), Panel_Globe), b.name);
        (*b.button)->setFixedSize(30, 24);
        (*b.button)->setToolTip(Text(b.hintRow));
    }
    Zoom_TrackBar = named(new QSlider(Qt::Vertical, Panel_Globe), "Zoom_TrackBar");
    Zoom_TrackBar->setRange(60, 350);
    Zoom_TrackBar->setValue(140);
    Zoom_TrackBar->setPageStep(40);
    Zoom_TrackBar->setTickInterval(50);
    Zoom_TrackBar->setTickPosition(QSlider::TicksLeft);
    Zoom_TrackBar->setInvertedAppearance(true);
    Zoom_TrackBar->setToolTip(QStringLiteral("Zoom"));
    Zoom_TrackBar->setFixedSize(28, 150);
    Time_ScrollBar = named(new QScrollBar(Qt::Horizontal, this), "Time_ScrollBar");
    Time_ScrollBar->setRange(0, kTimeSliderMax);
    Time_ScrollBar->setValue(kTimeSliderCentre);
    Time_ScrollBar->setSingleStep(1);
    Time_ScrollBar->setPageStep(150);
    Time_ScrollBar->setToolTip(Text(kRowHintTimeSlider));
}

void TForm_Main::buildPopupPanels() {
    Panel_GlobeControl = popupPanel(Panel_Globe, "Panel_GlobeControl");
    {
        auto* l = new QVBoxLayout(Panel_GlobeControl);
        Button_Center_Globe = namedButton(Panel_GlobeControl, "Button_Center_Globe",
                                          QStringLiteral("Globus zentrieren"));
        Button_Resize_Globe = namedButton(Panel_GlobeControl, "Button_Resize_Globe",
                                          QStringLiteral("Globus zur\u00FCcksetzen"));
        Button_Exit_Globe =
            namedButton(Panel_GlobeControl, "Button_Exit_Globe", QStringLiteral("schliessen"));
        for (QWidget* w : {Button_Center_Globe, Button_Resize_Globe, Button_Exit_Globe})
            l->addWidget(w);
        Panel_GlobeControl->adjustSize();
    }

    Panel_PoIs_Edit = popupPanel(this, "Panel_PoIs_Edit");
    Label_PoIs_Panel_Title = namedLabel(Panel_PoIs_Edit, "Label_PoIs_Panel_Title",
                                        QStringLiteral("Zimbalo: Markierungsliste bearbeiten"));
    Label_PoIs_Edit_Title = namedLabel(
        Panel_PoIs_Edit, "Label_PoIs_Edit_Title",
        QStringLiteral("+JJJJ MM TT nn.nn N nnn.nn E Ort/Bezeichnung (Kommentar in Klammern)"));
    RichEdit_PoIs = named(new QPlainTextEdit(Panel_PoIs_Edit), "RichEdit_PoIs");
    RichEdit_PoIs->setLineWrapMode(QPlainTextEdit::NoWrap);
    Button_PoIS_Speichern =
        namedButton(Panel_PoIs_Edit, "Button_PoIS_Speichern", QStringLiteral("Liste Speichern"));
    Button_PoIS_Abbrechen =
        namedButton(Panel_PoIs_Edit, "Button_PoIS_Abbrechen", QStringLiteral("Abbrechen"));
    layOutListPanel(Panel_PoIs_Edit, {Label_PoIs_Panel_Title, Label_PoIs_Edit_Title}, RichEdit_PoIs,
                    Button_PoIS_Speichern, Button_PoIS_Abbrechen);

    Panel_PoIs_Select = popupPanel(this, "Panel_PoIs_Select");
    Label_PoIs_Select_Title = namedLabel(Panel_PoIs_Select, "Label_PoIs_Select_Title",
                                         QStringLiteral("Zimbalo: Markierungen ausw\u00E4hlen"));
    CheckListBox_PoIs = named(new QListWidget(Panel_PoIs_Select), "CheckListBox_PoIs");
    Button_PoIs_Select = namedButton(Panel_PoIs_Select, "Button_PoIs_Select",
                                     QStringLiteral("Markierte \u00FCbernehmen"));
    Button_PoIs_Select_Cancel =
        namedButton(Panel_PoIs_Select, "Button_PoIs_Select_Cancel", QStringLiteral("Abbrechen"));
    layOutListPanel(Panel_PoIs_Select, {Label_PoIs_Select_Title}, CheckListBox_PoIs,
                    Button_PoIs_Select, Button_PoIs_Select_Cancel);

    Panel_About = popupPanel(this, "Panel_About");
    {
        auto* l = new QVBoxLayout(Panel_About);
        Label_Zimbalo = namedLabel(Panel_About, "Label_Zimbalo", QStringLiteral("Zimbalo"));
        StringGrid_VersionsInfo =
            named(new QTableWidget(17, 2, Panel_About), "StringGrid_VersionsInfo");
        StringGrid_VersionsInfo->horizontalHeader()->hide();
        StringGrid_VersionsInfo->verticalHeader()->hide();
        Button_About_OK = namedButton(Panel_About, "Button_About_OK", QStringLiteral("OK"));
        l->addWidget(Label_Zimbalo);
        l->addWidget(StringGrid_VersionsInfo, 1);
        l->addWidget(Button_About_OK);
        Panel_About->resize(360, 420);
    }
}

void TForm_Main::connectHandlers() {
    connect(ScrollBar_Bedeckung, &QScrollBar::valueChanged, this,
            [this] { ScrollBar_BedeckungChange(); });
    connect(Time_ScrollBar, &QScrollBar::valueChanged, this, [this] { Time_ScrollBarChange(); });
    connect(CheckBox_ET_UT, &QCheckBox::toggled, this, [this] { CheckBox_ET_UTClick(); });
    Edit_Jahr->installEventFilter(this);
    connect(Button_Play, &QPushButton::clicked, this, [this] { Button_PlayClick(); });
    connect(Button_Reverse, &QPushButton::clicked, this, [this] { Button_ReverseClick(); });
    connect(Button_FastPlay, &QPushButton::clicked, this, [this] { Button_FastPlayClick(); });
    connect(Button_FastReverse, &QPushButton::clicked, this, [this] { Button_FastReverseClick(); });
    connect(Button_Stop, &QPushButton::clicked, this, [this] { Button_StopClick(); });
    connect(Button_alle, &QPushButton::clicked, this, [this] { Button_alleClick(); });
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
    connect(Hilfe2, &QAction::triggered, this, [this] { Hilfe2Click(); });
    connect(Sichtbarkeit, &QAction::triggered, this, [this] { SichtbarkeitClick(); });
    connect(CityHist, &QAction::triggered, this, [this] { CityHistClick(); });
    connect(Opt_Deutsch, &QAction::triggered, this, [this] { Opt_DeutschClick(); });
    connect(Opt_English, &QAction::triggered, this, [this] { Opt_EnglishClick(); });
    connect(Opt_Francais, &QAction::triggered, this, [this] { Opt_FrancaisClick(); });
    connect(Version1, &QAction::triggered, this, [this] { Version1Click(); });
    // A click on the globe stops a running play loop; other mouse use is the overlays' own.
    Globe->OnClick = [this] { GlobeClick(); };

    // Ctrl+D/U/L/R move the globe by 50 pixels, Ctrl+C centres it. Window shortcuts see the
    // keys before the controls do, except where an edit field uses them itself (copy in a field).
    const struct {
        Qt::Key key;
        int dx, dy;
    } moves[] = {{Qt::Key_D, 0, 50}, {Qt::Key_U, 0, -50}, {Qt::Key_L, -50, 0}, {Qt::Key_R, 50, 0}};

    for (const auto& m : moves) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | m.key), this);
        connect(shortcut, &QShortcut::activated, this, [this, dx = m.dx, dy = m.dy] {
            m_state.GlobeOriginX += dx;
            m_state.GlobeOriginY += dy;
            Zoom_TrackBarChange();
        });
    }
    auto* centre = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_C), this);
    connect(centre, &QShortcut::activated, this, [this] {
        m_state.GlobeOriginX = Panel_Globe->width() / 2;
        m_state.GlobeOriginY = Panel_Globe->height() / 2;
        Zoom_TrackBarChange();
    });
}

void TForm_Main::openLayerStore() {
    m_layerStore = std::make_unique<globe::GeoSpatialDatabase>();
    // A fresh name, created exclusively: a file of that name that exists belongs to someone
    // else (another running copy) and is never opened, emptied or removed.
    auto* random = QRandomGenerator::global();
    QString path;
    for (int attempt = 0; attempt < 100 && path.isEmpty(); ++attempt) {
        QString name = QStringLiteral("Temporary_");
        for (int i = 0; i < 8; ++i)
            name += QChar('A' + static_cast<int>(random->bounded(26)));
        QFile file(m_folders.temporary + name + ".tmp");
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            file.close();
            path = file.fileName();
        } else if (!file.exists()) {
            break;  // the folder refuses new files: no name will do
        }
    }
    if (path.isEmpty()) {
        m_dialogs.fail(QStringLiteral("File I/O error."));
        return;
    }
    m_layerStorePath = path;
    try {
        m_layerStore->SetDataSourceName(path);
        m_layerStore->SetActive(true);
    } catch (const globe::GeoException&) {
        m_dialogs.fail(QStringLiteral("File I/O error."));
    }
    Globe->SetSpatialDatabase(m_layerStore.get());
}

void TForm_Main::closeLayerStore() {
    if (!m_layerStore)
        return;
    Globe->SetSpatialDatabase(nullptr);
    try {
        m_layerStore->SetActive(false);
    } catch (const globe::GeoException&) {
        // The store's file is removed below anyway.
    }
    m_layerStore.reset();
    if (!m_layerStorePath.isEmpty())
        QFile::remove(m_layerStorePath);
}

void TForm_Main::applySettings(const SettingsRecord& s) {
    resize(s.width, s.height);
    move(s.left, s.top);
    m_state.language = static_cast<Language>(s.language);
    m_savedTimePosition = s.timePosition;
    // The controls take their saved values quietly; the first activation computes with them.
    const QSignalBlocker b1(CheckBox_ET_UT), b2(ComboBox_Globus), b3(ComboBox_GradNetz),
        b4(Edit_PoI_Breite), b5(Edit_PoI_Laenge), b6(RadioButton_PoI_Nord),
        b7(RadioButton_PoI_Sued), b8(RadioButton_PoI_Ost), b9(RadioButton_PoI_West),
        b10(CheckBox_PoI), b11(CheckBox_SSP), b12(CheckBox_Cities), b13(ScrollBar_Bedeckung),
        b14(Zoom_TrackBar), b15(Time_ScrollBar);
    CheckBox_ET_UT->setChecked(s.universalTime);
    ComboBox_Globus->setCurrentIndex(s.textureIndex);
    ComboBox_GradNetz->setCurrentIndex(s.gridIndex);
    Edit_PoI_Breite->setText(QString::fromStdString(s.poiLatitude));
    Edit_PoI_Laenge->setText(QString::fromStdString(s.poiLongitude));
    (s.poiSouth ? RadioButton_PoI_Sued : RadioButton_PoI_Nord)->setChecked(true);
    (s.poiWest ? RadioButton_PoI_West : RadioButton_PoI_Ost)->setChecked(true);
    const double lat = numberOfText(Edit_PoI_Breite->text());
    const double lon = numberOfText(Edit_PoI_Laenge->text());
    m_state.PoILatitude = s.poiSouth ? -lat : lat;
    m_state.PoILongitude = s.poiWest ? -lon : lon;
    CheckBox_PoI->setChecked(s.poiShown);
    CheckBox_SSP->setChecked(s.subPlanetaryShown);
    CheckBox_Cities->setChecked(s.capitalsShown);
    ScrollBar_Bedeckung->setValue(s.currentIndex);
    m_state.CurrentIndex = ScrollBar_Bedeckung->value();
    Zoom_TrackBar->setValue(s.zoomPosition);
    m_state.GlobeOriginX = s.globeOriginX;
    m_state.GlobeOriginY = s.globeOriginY;
    Globe->Projector().SetXOrigin(s.globeOriginX);
    Globe->Projector().SetYOrigin(s.globeOriginY);
    Time_ScrollBar->setValue(s.timePosition);
    ListWindowsFromSettings(s);
}

SettingsRecord TForm_Main::CollectSettings() const {
    SettingsRecord s = m_settings;
    s.version = FileVersion().toStdString();
    const bool maximised = isMaximized();
    s.windowState = isMinimized() ? 1 : maximised ? 2 : 0;
    const QRect normal = maximised || isMinimized() ? normalGeometry() : QRect(pos(), size());
    if (normal.isValid()) {
        s.top = normal.top();
        s.left = normal.left();
        s.height = normal.height();
        s.width = normal.width();
    }
    s.language = static_cast<std::uint8_t>(m_state.language);
    s.reserved = 0;
    s.currentIndex = m_state.CurrentIndex;
    s.universalTime = CheckBox_ET_UT->isChecked();
    s.textureIndex = ComboBox_Globus->currentIndex();
    s.gridIndex = ComboBox_GradNetz->currentIndex();
    s.poiLatitude = Edit_PoI_Breite->text().toStdString();
    s.poiNorth = RadioButton_PoI_Nord->isChecked();
    s.poiSouth = RadioButton_PoI_Sued->isChecked();
    s.poiLongitude = Edit_PoI_Laenge->text().toStdString();
    s.poiEast = RadioButton_PoI_Ost->isChecked();
    s.poiWest = RadioButton_PoI_West->isChecked();
    s.poiShown = CheckBox_PoI->isChecked();
    s.subPlanetaryShown = CheckBox_SSP->isChecked();
    s.capitalsShown = CheckBox_Cities->isChecked();
    s.timePosition = Time_ScrollBar->value();
    s.zoomPosition = Zoom_TrackBar->value();
    s.globeOriginX = Globe->Projector().XOrigin();
    s.globeOriginY = Globe->Projector().YOrigin();
    ListWindowsToSettings(s);
    return s;
}

QString TForm_Main::Text(int row) const {
    return LanguageString(row, m_state.language);
}

QString TForm_Main::BaseTitle() const {
    return QStringLiteral("Zimbalo ") + FileVersion() + Text(kTitleSuffixRow);
}

// ---- Handlers ----

void TForm_Main::FormActivate() {
    if (m_state.Closing)
        return;
    setWindowTitle(BaseTitle());
    Panel_About->hide();
    FillVersionGrid();
    LayoutGlobePanel();
    if (!m_activated) {
        // The first activation shows the saved event at the saved instant.
        m_activated = true;
        Combobox_GlobusChange();
        ComboBox_GradNetzChange();
        Zoom_TrackBarChange();
        ScrollBar_BedeckungChange();
        {
            const QSignalBlocker blocker(Time_ScrollBar);
            Time_ScrollBar->setValue(m_savedTimePosition);
        }
        Time_ScrollBarChange();
    }
}

void TForm_Main::ScrollBar_BedeckungChange() {
    if (!m_activated || m_table.Count() == 0)
        return;
    m_state.CurrentIndex = ScrollBar_Bedeckung->value();
    m_record = astro::SelectRecord(m_table, m_state.CurrentIndex);
    Edit_Jahr->setText(QString::number(m_record.Year));
    m_elements = astro::EvaluateElements(m_record, 0.0);
    m_state.TimeOffset = astro::ClosestApproachOffset(m_record);
    {
        const QSignalBlocker blocker(Time_ScrollBar);
        Time_ScrollBar->setValue(PositionOfOffset(m_state.TimeOffset));
    }
    // The time-scale step recomputes the instant, the central line, the labels, the grid and the
    // point layers, which is all a new event needs.
    CheckBox_ET_UTClick();
}

void TForm_Main::recomputeInstant() {
    const astro::EventInstant instant =
        astro::InstantOfEvent(m_record.Year, m_record.Month, m_record.Day, m_record.T0Hour,
                              m_state.TimeOffset, m_state.DeltaTSeconds);
    m_state.JD_TT = instant.jdTT;
    m_state.JD_UT = instant.jdUT;
}

void TForm_Main::Time_ScrollBarChange() {
    if (!m_activated || m_table.Count() == 0)
        return;
    m_state.CurrentIndex = ScrollBar_Bedeckung->value();
    m_state.TimeOffset = OffsetOfPosition(Time_ScrollBar->value());
    m_record = astro::SelectRecord(m_table, m_state.CurrentIndex);
    recomputeInstant();
    RefreshCentralPoint();
    RefreshEventLabels();
    RefreshElementRows();
    UpdateMarkerDistances();
    Globe->RequestRedraw();
}

void TForm_Main::CheckBox_ET_UTClick() {
    if (!m_activated || m_table.Count() == 0)
        return;
    const bool ut = CheckBox_ET_UT->isChecked();
    m_state.DeltaTSeconds = ut ? astro::DeltaT(m_record.Year, m_record.Month) : 0.0;
    CheckBox_ET_UT->setText(
        TimeScaleCaption(ut, m_state.DeltaTSeconds, m_record.Year, m_state.language));
    Time_ScrollBarChange();
    recomputeInstant();
    RebuildCentralLine();
    RefreshEventLabels();
    RefreshElementRows();
    if (CheckBox_Cities->isChecked())
        RebuildCapitalsLayer();
    if (CheckBox_PoI->isChecked())
        RebuildMarkerLayer();
    RebuildListedPoIsLayer();
}

void TForm_Main::Edit_JahrKeyDown(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return;
    const std::optional<int> year = YearOfText(Edit_Jahr->text());
    if (!year)
        return;
    Edit_Jahr->setText(QString::number(*year));
    {
        const QSignalBlocker blocker(ScrollBar_Bedeckung);
        ScrollBar_Bedeckung->setValue(astro::FirstEventOfYear(m_table, *year));
    }
    ScrollBar_BedeckungChange();
}

void TForm_Main::playLoop(int step) {
    if (m_state.Closing)
        return;
    if (m_playStep != 0) {
        // A loop runs further down the stack (this press came through its message
        // processing): it takes the new step and direction instead of a loop inside the loop.
        m_playStep = step;
        m_state.Animating = true;
        return;
    }
    m_state.Animating = true;
    m_playStep = step;
    Button_Stop->setFocus();
    while (m_state.Animating && !m_state.Closing) {
        const int position = Time_ScrollBar->value();
        const int s = m_playStep;
        // Play runs while below 12600 - step, reverse while above the step's size.
        const bool inside = s > 0 ? position < kTimeSliderMax - s : position > -s;
        if (!inside)
            break;
        Time_ScrollBar->setValue(position + s);
        QCoreApplication::processEvents();
    }
    m_playStep = 0;
    m_state.Animating = false;
}

void TForm_Main::Button_PlayClick() {
    playLoop(kStepPlay);
}

void TForm_Main::Button_ReverseClick() {
    playLoop(-kStepPlay);
}

void TForm_Main::Button_FastPlayClick() {
    playLoop(kStepFastPlay);
}

void TForm_Main::Button_FastReverseClick() {
    playLoop(-kStepFastPlay);
}

void TForm_Main::Button_StopClick() {
    m_state.Animating = false;
}

void TForm_Main::GlobeClick() {
    m_state.Animating = false;
}

void TForm_Main::Button_alleClick() {
    for (QCheckBox* box : {CheckBox_Mer, CheckBox_Ven, CheckBox_Mar, CheckBox_Jup, CheckBox_Sat,
                           CheckBox_Ura, CheckBox_Nep})
        box->setChecked(true);
}

void TForm_Main::LayoutGlobePanel() {
    const int w = Panel_Globe->width();
    const int h = Panel_Globe->height();
    Globe->setGeometry(0, 0, w, h);
    int left = 4;
    for (QPushButton* b :
         {Button_FastReverse, Button_Reverse, Button_Stop, Button_Play, Button_FastPlay}) {
        b->move(left, h - 28);
        b->raise();
        left += b->width() + 2;
    }
    Zoom_TrackBar->move(w - 32, h - 179);
    Zoom_TrackBar->raise();
    Panel_GlobeControl->raise();
}

void TForm_Main::FormResize() {
    if (m_state.Closing)
        return;
    LayoutGlobePanel();
    Globe->Projector().SetXOrigin(m_state.GlobeOriginX);
    Globe->Projector().SetYOrigin(m_state.GlobeOriginY);
    if (m_activated)
        Zoom_TrackBarChange();
}

void TForm_Main::Exit1Click() {
    // Running list calculations see the request at their next step, play loops at Closing.
    m_state.StopRequested = true;
    QCoreApplication::processEvents();
    m_state.Closing = true;
    close();
}

void TForm_Main::Hilfe2Click() {
    OpenUserManual(DataFolder(), m_state.language, m_dialogs);
}

void TForm_Main::FormClose() {
    if (m_closed)
        return;
    m_closed = true;
    m_state.Animating = false;
    m_state.Closing = true;
    m_state.StopRequested = true;
    QCoreApplication::processEvents();
    RemoveListTempFiles();
    const SettingsRecord settings = CollectSettings();
    closeLayerStore();
    // Nothing is saved when the record was removed while the program ran (or never existed).
    const QString path = SettingsPath(m_folders);
    if (QFile::exists(path))
        SaveSettings(path, settings);
    emit closed();
}

// ---- Information panel ----

void TForm_Main::setGridRow(int row, const QString& label, const QString& value,
                            const QString& unit) {
    SG->item(row, 0)->setText(label);
    SG->item(row, 1)->setText(value);
    SG->item(row, 2)->setText(unit);
}

void TForm_Main::RefreshCentralPoint() {
    m_elements = astro::EvaluateElements(m_record, m_state.TimeOffset);
    const auto central = astro::CentralCircumstances(m_record, m_state.TimeOffset,
                                                     m_state.DeltaTSeconds, m_state.JD_UT);
    if (central) {
        m_axis.latitude = central->latitude;
        m_axis.longitudeWest = -central->longitude;
    }
    const auto rows = CentralPointRows(central, m_state.language);
    // Row 19 is never written; it stays empty like the others when the axis misses.
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = 13 + static_cast<int>(i);
        if (row != 19)
            setGridRow(row, rows[i].label, rows[i].value, rows[i].unit);
    }
}

void TForm_Main::RefreshEventLabels() {
    m_elements = astro::EvaluateElements(m_record, m_state.TimeOffset);
    const astro::AxisHit hit = astro::AxisOnEarth(m_elements);
    m_axis.axisOnEarth = hit.onEarth;
    m_axis.zeta = hit.onEarth ? hit.zeta : 0.0;
    m_axis.motionAngle = astro::MotionAngle(m_elements);
    const GridRow zeta = ZetaRow(hit, m_state.language);
    setGridRow(10, zeta.label, zeta.value, zeta.unit);

    const QString dateTime =
        DateTimeText(m_state.JD_TT, m_state.JD_UT, CheckBox_ET_UT->isChecked());
    const QString planet = PlanetName(m_record.Planet, m_state.language);
    const QString kind = OccultationKind(m_record.OccType, m_state.language);
    setWindowTitle(EventTitle(BaseTitle(), planet, kind, dateTime));
    Label_Planet->setText(planet);
    Label_Bedeckungstyp->setText(kind);
    Label_DatumZeit->setText(dateTime);

    const astro::GeoDegrees sub = astro::SubPlanetaryPoint(m_elements, m_state.DeltaTSeconds);
    Globe->Projector().SetXRotation(sub.latitude);
    Globe->Projector().SetYRotation(sub.longitude);
}

void TForm_Main::RefreshElementRows() {
    const auto rows = ElementRows(m_elements, m_record, m_state.TimeOffset, m_state.language);
    for (int i = 0; i < 10; ++i)
        setGridRow(i, rows[static_cast<std::size_t>(i)].label,
                   rows[static_cast<std::size_t>(i)].value, rows[static_cast<std::size_t>(i)].unit);
}

// ---- Events ----

void TForm_Main::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm_Main::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TForm_Main::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The first showing counts as the first activation even where the window system never
    // activates the window (offscreen runs).
    if (!m_activated)
        FormActivate();
}

void TForm_Main::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

bool TForm_Main::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit_Jahr && event->type() == QEvent::KeyPress) {
        Edit_JahrKeyDown(static_cast<QKeyEvent*>(event)->key());
    } else if (watched == Panel_Globe && event->type() == QEvent::Resize) {
        LayoutGlobePanel();
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace zimbalo::app
