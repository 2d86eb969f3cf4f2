#include "app/circumstances_panel.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "lists/city_database.h"
#include "lists/here_text.h"
#include "lists/nearest_city.h"
#include "lists/time_zones.h"

namespace zimbalo::app {

namespace {

struct ButtonCaption {
    const char* name;
    const char* text[3];
};

constexpr ButtonCaption kButtons[] = {
    {"Button_Umstaende_Kopieren", {"Kopieren", "Copy", "Copier"}},
    {"Button_Umstaende_Marker", {"Marker", "Marker", "Marqueur"}},
    {"Button_Umstaende_Schliessen", {"Schließen", "Close", "Fermer"}},
    {"Button_Umstaende_Heimatort", {"Als Heimatort", "Set as home", "Définir comme domicile"}},
};

// Poll interval while the city database is read on the worker thread.
constexpr int kCitiesPollMs = 50;

QStringList Fields(const QString& line) {
    return line.split(QLatin1Char('\t'));
}

}  // namespace

QString CircumstancesCaption(const char* button, Language language) {
    for (const ButtonCaption& b : kButtons) {
        if (std::strcmp(b.name, button) == 0) {
            return QString::fromUtf8(b.text[static_cast<std::size_t>(language)]);
        }
    }
    return {};
}

QString CircumstancesHereCaption(Language language) {
    return QString::fromStdString(lists::HereTitle(language));
}

CircumstancesPanel::CircumstancesPanel(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("Panel_Umstaende"));
    setFocusPolicy(Qt::StrongFocus);

    QFont bold = font();
    bold.setBold(true);
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("Label_Umstaende_Titel"));
    m_title->setFont(bold);
    m_verdict = new QLabel(this);
    m_verdict->setObjectName(QStringLiteral("Label_Umstaende_Ergebnis"));
    m_verdict->setFont(bold);
    m_verdict->setWordWrap(true);

    m_grid = new QTableWidget(this);
    m_grid->setObjectName(QStringLiteral("Grid_Umstaende"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::NoSelection);
    // The grid never takes the focus, so Ctrl+C always reaches the panel's own copy.
    m_grid->setFocusPolicy(Qt::NoFocus);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setShowGrid(false);

    m_copy = new QPushButton(this);
    m_marker = new QPushButton(this);
    m_close = new QPushButton(this);
    m_setAsHome = new QPushButton(this);
    m_copy->setObjectName(QString::fromLatin1(kButtons[0].name));
    m_marker->setObjectName(QString::fromLatin1(kButtons[1].name));
    m_close->setObjectName(QString::fromLatin1(kButtons[2].name));
    m_setAsHome->setObjectName(QString::fromLatin1(kButtons[3].name));
    connect(m_copy, &QPushButton::clicked, this, &CircumstancesPanel::copyText);
    connect(m_marker, &QPushButton::clicked, this,
            [this] { emit markerRequested(m_latitude, m_longitude); });
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_setAsHome, &QPushButton::clicked, this,
            [this] { emit homeRequested(m_latitude, m_longitude, m_height); });

    auto* copyAction = new QAction(this);
    copyAction->setObjectName(QStringLiteral("Action_Umstaende_Kopieren"));
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copyAction, &QAction::triggered, this, &CircumstancesPanel::copyText);
    addAction(copyAction);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_copy);
    buttons->addWidget(m_marker);
    buttons->addWidget(m_setAsHome);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_verdict);
    layout->addWidget(m_grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_citiesPoll = new QTimer(this);
    m_citiesPoll->setInterval(kCitiesPollMs);
    connect(m_citiesPoll, &QTimer::timeout, this, &CircumstancesPanel::takeCities);

    applyCaptions();
}

CircumstancesPanel::~CircumstancesPanel() = default;  // waits for a city database being read

void CircumstancesPanel::setDataFolder(const QString& folder) {
    std::string f = folder.toStdString();
    if (!f.empty() && f.back() != '/') {
        f += '/';
    }
    if (f == m_folder) {
        return;
    }
    m_folder = f;
    m_zones.reset();
    m_zonesFailed = false;
    m_cities.reset();
    // Both files are read now, the city database on its thread, so that the first click finds
    // them ready.
    loadZones();
    preloadCities();
    // The window itself is made now too: creating and polishing it on the first click costs more
    // than the 50 ms a click may take.
    if (!isVisible()) {
        refresh();
        ensurePolished();
        create();
        grab();  // draws it once off screen: fonts and style are ready for the first paint
    } else {
        refresh();
    }
}

void CircumstancesPanel::loadZones() {
    if (m_zones || m_zonesFailed || m_folder.empty()) {
        return;
    }
    try {
        m_zones = std::make_unique<lists::ZoneTable>(
            lists::ZoneTable::Load(m_folder + lists::kZoneTableFileName));
    } catch (const lists::ZoneTableError&) {
        m_zonesFailed = true;  // the text then has no zone line and shows UT twice
    }
}

void CircumstancesPanel::setEvent(const astro::BesselRecord& record, int number) {
    m_record = record;
    m_number = number;
    // Also while hidden (a fraction of a millisecond): the grid is then laid out before the
    // first click.
    refresh();
}

void CircumstancesPanel::setUniversalTime(bool universalTime) {
    m_universalTime = universalTime;
    if (isVisible()) {
        refresh();
    }
}

void CircumstancesPanel::setLanguage(Language language) {
    m_language = language;
    applyCaptions();
    preloadCities();
    if (isVisible()) {
        refresh();
    }
}

void CircumstancesPanel::openAt(double latitudeDeg, double longitudeDeg, double heightMetres) {
    m_latitude = latitudeDeg;
    m_longitude = longitudeDeg;
    m_height = heightMetres;
    refresh();
    show();
    raise();
    activateWindow();
    m_copy->setFocus(Qt::PopupFocusReason);
}

void CircumstancesPanel::copyText() {
    QGuiApplication::clipboard()->setText(m_text);
}

void CircumstancesPanel::applyCaptions() {
    setWindowTitle(CircumstancesHereCaption(m_language));
    m_copy->setText(CircumstancesCaption(kButtons[0].name, m_language));
    m_marker->setText(CircumstancesCaption(kButtons[1].name, m_language));
    m_close->setText(CircumstancesCaption(kButtons[2].name, m_language));
    m_setAsHome->setText(CircumstancesCaption(kButtons[3].name, m_language));
}

void CircumstancesPanel::preloadCities() {
    if (m_folder.empty()) {
        return;
    }
    const bool loaded = m_cities && m_citiesLanguage == m_language;
    const bool loading = m_citiesLoading.valid() && m_loadingLanguage == m_language;
    if (loaded || loading) {
        return;
    }
    // A reading of another language still running is waited for here (a language switch).
    m_loadingLanguage = m_language;
    const std::string path = lists::CityFileName(m_language, m_folder);
    m_citiesLoading = std::async(std::launch::async, [path] {
        try {
            return std::make_shared<const lists::CityIndex>(lists::CityIndex::Load(path));
        } catch (const lists::CityFileError&) {
            // No nearest place then; the rest of the panel does not depend on it.
            return std::shared_ptr<const lists::CityIndex>();
        }
    });
    m_citiesPoll->start();
}

void CircumstancesPanel::takeCities() {
    if (!m_citiesLoading.valid()
        || m_citiesLoading.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        return;
    }
    m_citiesPoll->stop();
    m_cities = m_citiesLoading.get();
    m_citiesLanguage = m_loadingLanguage;
    if (isVisible()) {
        refresh();
    }
}

void CircumstancesPanel::refresh() {
    if (!m_record) {
        m_text.clear();
        m_title->setText(CircumstancesHereCaption(m_language));
        m_verdict->clear();
        m_grid->clear();
        m_grid->setRowCount(0);
        return;
    }
    loadZones();
    const lists::CityIndex* cities = nullptr;
    if (m_cities && m_citiesLanguage == m_language) {
        cities = m_cities.get();
    } else {
        preloadCities();
    }

    lists::HereRequest request;
    request.record = &*m_record;
    request.eventNumber = m_number;
    request.latitude = m_latitude;
    request.longitude = m_longitude;
    request.height = m_height;
    request.language = m_language;
    request.terrestrialTime = !m_universalTime;
    m_text = QString::fromStdString(lists::HereText(request, m_zones.get(), cities));

    // Title and verdict above the grid; every other line is a row of it.
    QStringList lines = m_text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    std::vector<QStringList> rows;
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList fields = Fields(lines[i]);
        if (i == 0) {
            m_title->setText(fields.join(QStringLiteral("   ")));
        } else {
            rows.push_back(fields);
        }
    }
    // The verdict line follows the place lines; it is the one row whose second field is a
    // verdict text.
    m_verdict->clear();
    for (auto it = rows.begin(); it != rows.end(); ++it) {
        bool isVerdict = false;
        for (int v = 0; v <= static_cast<int>(lists::HereVerdict::NoOccultation); ++v) {
            const QString words = QString::fromStdString(
                lists::VerdictText(static_cast<lists::HereVerdict>(v), m_language));
            isVerdict = isVerdict || (it->size() > 1 && it->at(1) == words);
        }
        if (isVerdict) {
            m_verdict->setText(it->mid(1).join(QStringLiteral(": ")));
            rows.erase(it);
            break;
        }
    }

    int columns = 0;
    for (const QStringList& r : rows) {
        columns = std::max(columns, static_cast<int>(r.size()));
    }
    m_grid->clear();
    m_grid->setRowCount(static_cast<int>(rows.size()));
    m_grid->setColumnCount(columns);
    QFont bold = m_grid->font();
    bold.setBold(true);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const QStringList& fields = rows[static_cast<std::size_t>(r)];
        // The column titles of the instants are the row with "P°" in it.
        const bool titles = fields.contains(QStringLiteral("P°"));
        for (int c = 0; c < fields.size(); ++c) {
            auto* item = new QTableWidgetItem(fields[c]);
            item->setFlags(Qt::ItemIsEnabled);
            if (titles || c == 0) {
                item->setFont(bold);
            }
            m_grid->setItem(r, c, item);
        }
    }
    m_grid->resizeColumnsToContents();
    m_grid->resizeRowsToContents();
    int width = 2 * m_grid->frameWidth();
    for (int c = 0; c < columns; ++c) {
        width += m_grid->columnWidth(c);
    }
    int height = 2 * m_grid->frameWidth();
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        height += m_grid->rowHeight(r);
    }
    m_grid->setFixedSize(width, height);
}

}  // namespace zimbalo::app
