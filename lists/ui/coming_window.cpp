#include "lists/ui/coming_window.h"

#include <array>

#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QTimeZone>
#include <QVBoxLayout>

#include "dialogs/user_dialogs.h"
#include "lists/calendar_export.h"
#include "lists/cp1252.h"
#include "lists/list_text.h"
#include "lists/ui/coming_model.h"

namespace zimbalo::lists {

namespace {

constexpr double kUnixEpochJD = 2440587.5;

struct Captions {
    const char* title;
    const char* home;
    const char* noHome;
    const char* start;
    const char* seenOnly;
    const char* minAltitude;
    const char* sun;
    const char* dayVenusJupiter;
    const char* planets;
    const char* allPlanets;
    const char* saveCalendar;
    const char* saveTitle;
    const char* fileName;
    const char* count;  // "%1" is the number of rows
    const char* notSaved;
};

constexpr std::array<Captions, 3> kCaptions = {{
    {"Nächste Bedeckungen am Heimatort", "Heimatort:",
     "Kein Heimatort gesetzt. „Als Heimatort“ im Fenster eines Ortes, bei den Markerfeldern oder "
     "bei den Umständen setzt ihn.",
     "ab", "nur wenn sichtbar:", "Planet mindestens", "hoch, Sonne höchstens −6°",
     "oder bei Tag für Venus und Jupiter", "Planeten:", "alle", "Als Kalender speichern…",
     "Als Kalender speichern", "Zimbalo_Bedeckungen.ics", "%1 Bedeckungen",
     "Der Kalender wurde nicht gespeichert."},
    {"Coming occultations at home", "Home:",
     "No home place set. \"Set as home\" in the window of one place, at the marker fields or at "
     "the circumstances sets it.",
     "from", "only when seen:", "planet at least", "up, Sun at most −6°",
     "or by day for Venus and Jupiter", "Planets:", "all", "Save as calendar…", "Save as calendar",
     "Zimbalo_Occultations.ics", "%1 occultations", "The calendar was not saved."},
    {"Prochaines occultations au domicile", "Domicile :",
     "Aucun domicile défini. « Définir comme domicile » dans la fenêtre d'un lieu, aux champs du "
     "marqueur ou aux circonstances le définit.",
     "à partir du", "seulement si visible :", "planète au moins", "de haut, Soleil au plus −6°",
     "ou de jour pour Vénus et Jupiter", "Planètes :", "toutes", "Enregistrer comme calendrier…",
     "Enregistrer comme calendrier", "Zimbalo_Occultations.ics", "%1 occultations",
     "Le calendrier n'a pas été enregistré."},
}};

const Captions& CaptionsOf(Language language) {
    return kCaptions[LanguageIndex(language)];
}

QString U(const char* text) {
    return QString::fromUtf8(text);
}

// Julian date (UT) of the start of `date` on the clocks of `zone` (UT when the system lacks it).
double StartOfDay(const QDate& date, const std::string& zone) {
    QTimeZone tz(QByteArray::fromStdString(zone));
    if (!tz.isValid()) {
        tz = QTimeZone::utc();
    }
    // A day whose midnight a daylight-saving change skips starts at the first valid instant.
    QDateTime start(date, QTime(0, 0), tz);
    if (!start.isValid()) {
        start = QDateTime(date, QTime(1, 0), tz);
    }
    return kUnixEpochJD + static_cast<double>(start.toSecsSinceEpoch()) / 86400.0;
}

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}  // namespace

ComingOccultationsWindow::ComingOccultationsWindow(const astro::BesselTable* catalogue,
                                                   dialogs::UserDialogs* dialogs, Language language,
                                                   QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_catalogue(catalogue),
      m_dialogs(dialogs),
      m_language(language),
      m_clock([] { return std::time(nullptr); }) {
    setObjectName(QStringLiteral("Form_Coming"));
    m_homeLabel = Named(new QLabel(this), "Label_Home");
    m_homeLabel->setWordWrap(true);
    m_startLabel = Named(new QLabel(this), "Label_Start");
    m_start = Named(new QDateEdit(QDate::currentDate(), this), "DateEdit_Start");
    m_start->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_start->setCalendarPopup(true);
    m_start->setDateRange(QDate(1980, 1, 1), QDate(2100, 12, 31));
    m_startLabel->setBuddy(m_start);
    m_seenOnly = Named(new QCheckBox(this), "CheckBox_SeenOnly");
    m_minAltitudeLabel = Named(new QLabel(this), "Label_MinAltitude");
    m_minAltitude = Named(new QSpinBox(this), "SpinBox_MinAltitude");
    m_minAltitude->setRange(0, 89);
    m_minAltitude->setValue(5);
    m_minAltitude->setSuffix(QStringLiteral("°"));
    m_sunLabel = Named(new QLabel(this), "Label_Sun");
    m_dayVenusJupiter = Named(new QCheckBox(this), "CheckBox_DayVenusJupiter");
    m_planetsLabel = Named(new QLabel(this), "Label_Planets");
    m_saveCalendar = Named(new QPushButton(this), "Button_SaveCalendar");
    m_countLabel = Named(new QLabel(this), "Label_Count");

    m_model = new ComingTableModel(this);
    m_model->setLanguage(language);
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(Qt::UserRole);
    m_table = Named(new QTableView(this), "TableView_Coming");
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(ComingTableModel::kD, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->setAlternatingRowColors(true);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);

    auto* top = new QHBoxLayout;
    top->addWidget(m_startLabel);
    top->addWidget(m_start);
    top->addSpacing(16);
    top->addWidget(m_planetsLabel);
    top->addStretch(1);
    top->addWidget(m_saveCalendar);
    auto* seen = new QHBoxLayout;
    seen->addWidget(m_seenOnly);
    seen->addWidget(m_minAltitudeLabel);
    seen->addWidget(m_minAltitude);
    seen->addWidget(m_sunLabel);
    seen->addSpacing(16);
    seen->addWidget(m_dayVenusJupiter);
    seen->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_homeLabel);
    layout->addLayout(top);
    layout->addLayout(seen);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_countLabel);

    connect(m_start, &QDateEdit::dateChanged, this, [this] { recompute(); });
    connect(m_seenOnly, &QCheckBox::toggled, this, [this] { refilter(); });
    connect(m_minAltitude, &QSpinBox::valueChanged, this, [this] { refilter(); });
    connect(m_dayVenusJupiter, &QCheckBox::toggled, this, [this] { refilter(); });
    connect(m_saveCalendar, &QPushButton::clicked, this,
            &ComingOccultationsWindow::Button_SaveCalendarClick);
    connect(m_table, &QTableView::doubleClicked, this, &ComingOccultationsWindow::rowActivated);
    resize(1240, 640);
    retranslate();
    refilter();
}

ComingOccultationsWindow::~ComingOccultationsWindow() = default;

void ComingOccultationsWindow::setHome(const std::optional<HomePlace>& home) {
    m_home = home;
    retranslate();
    recompute();
}

void ComingOccultationsWindow::setPlanets(PlanetMask planets) {
    m_planets = planets & kEveryPlanet;
    retranslate();
    refilter();
}

void ComingOccultationsWindow::setLanguage(Language language) {
    m_language = language;
    m_model->setLanguage(language);
    retranslate();
}

ComingFilter ComingOccultationsWindow::filter() const {
    ComingFilter filter;
    filter.planets = m_planets;
    if (m_seenOnly->isChecked()) {
        filter.seen =
            m_dayVenusJupiter->isChecked() ? SeenRule::DarkSkyOrVenusJupiter : SeenRule::DarkSky;
    }
    filter.minAltitudeDeg = m_minAltitude->value();
    return filter;
}

std::vector<ComingRow> ComingOccultationsWindow::shownRows() const {
    return m_model->rows();
}

void ComingOccultationsWindow::recompute() {
    m_allRows.clear();
    if (m_home && m_catalogue != nullptr) {
        m_allRows = ComingOccultations(
            *m_catalogue, ComingFrom(*m_home, StartOfDay(m_start->date(), m_home->zone)));
    }
    refilter();
}

void ComingOccultationsWindow::refilter() {
    m_minAltitude->setEnabled(m_seenOnly->isChecked());
    m_dayVenusJupiter->setEnabled(m_seenOnly->isChecked());
    m_model->setRows(Filtered(m_allRows, filter()));
    m_saveCalendar->setEnabled(m_home.has_value() && m_model->rowCount() > 0);
    m_countLabel->setText(U(CaptionsOf(m_language).count).arg(m_model->rowCount()));
}

void ComingOccultationsWindow::retranslate() {
    const Captions& c = CaptionsOf(m_language);
    setWindowTitle(U(c.title));
    if (m_home) {
        const QString where =
            QString::fromStdString(Cp1252ToUtf8(LatitudeText(m_home->latitudeDeg) + " "
                                                + LongitudeText(m_home->longitudeDeg, m_language)));
        m_homeLabel->setText(QStringLiteral("%1 %2 (%3, %4 m, %5)")
                                 .arg(U(c.home), QString::fromStdString(m_home->name), where)
                                 .arg(m_home->heightMetres)
                                 .arg(QString::fromStdString(m_home->zone)));
    } else {
        m_homeLabel->setText(U(c.noHome));
    }
    m_startLabel->setText(U(c.start));
    m_seenOnly->setText(U(c.seenOnly));
    m_minAltitudeLabel->setText(U(c.minAltitude));
    m_sunLabel->setText(U(c.sun));
    m_dayVenusJupiter->setText(U(c.dayVenusJupiter));
    m_saveCalendar->setText(U(c.saveCalendar));
    QStringList names;
    if ((m_planets & kEveryPlanet) != 0 && (m_planets & kEveryPlanet) != kEveryPlanet) {
        for (int planet = 1; planet <= 7; ++planet) {
            if (PlanetChosen(m_planets, planet)) {
                names << QString::fromStdString(PlanetFullName(planet, m_language));
            }
        }
    } else {
        names << U(c.allPlanets);
    }
    m_planetsLabel->setText(U(c.planets) + ' ' + names.join(QStringLiteral(", ")));
    m_countLabel->setText(U(c.count).arg(m_model->rowCount()));
}

void ComingOccultationsWindow::rowActivated(const QModelIndex& index) {
    const QModelIndex source = m_sorted->mapToSource(index);
    if (!source.isValid()) {
        return;
    }
    const ComingRow& row = m_model->rows()[static_cast<std::size_t>(source.row())];
    emit eventChosen(row.number, row.jdUT[1]);
}

void ComingOccultationsWindow::Button_SaveCalendarClick() {
    if (!m_home || m_dialogs == nullptr) {
        return;
    }
    const Captions& c = CaptionsOf(m_language);
    const std::optional<QString> path =
        m_dialogs->saveFileName(U(c.saveTitle), U(c.fileName), QStringLiteral("iCalendar (*.ics)"));
    if (!path) {
        return;
    }
    try {
        SaveCalendar(CalendarText(m_model->rows(), *m_home, m_language,
                                  static_cast<std::int64_t>(m_clock())),
                     path->toStdString());
    } catch (const CalendarFileError& e) {
        m_dialogs->fail(U(c.notSaved) + '\n' + QString::fromStdString(e.what()));
    }
}

}  // namespace zimbalo::lists
