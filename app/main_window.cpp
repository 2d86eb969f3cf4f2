#include "app/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QMenuBar>

#include "app/about_panel.h"
#include "app/caption_sets.h"
#include "app/circumstances_panel.h"
#include "app/globe_group.h"
#include "app/globe_panel.h"
#include "app/information_panel.h"
#include "app/marker_group.h"
#include "app/named_widget.h"
#include "app/player.h"
#include "app/poi_panels.h"
#include "app/user_manual.h"
#include "app/version_info.h"
#include "app/view_options.h"
#include "overlays/points_of_interest.h"

namespace zimbalo::app {

namespace {

/// A language byte from a damaged settings file gives German.
Language languageOfByte(int value) {
    return value >= 0 && value <= 2 ? static_cast<Language>(value) : Language::German;
}

}  // namespace

TForm_Main::TForm_Main(const AppFolders& folders, const SettingsRecord& settings,
                       astro::BesselTable table, dialogs::UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent),
      m_folders(folders),
      m_settings(settings),
      m_table(std::move(table)),
      m_dialogs(dialogs),
      m_shown(std::make_unique<ShownInstant>(m_table)) {
    setObjectName(QStringLiteral("TForm_Main"));
    m_player = new Player(*m_shown, this);
    buildMenus();
    buildParts();
    connectParts();
    // The captions first: the graticule's choices exist before the saved one is selected.
    ApplyLanguage(languageOfByte(settings.language));
    applySettings(settings);
    m_poiEditor->Load();
}

TForm_Main::~TForm_Main() {
    m_closing = true;
    m_player->Stop();
    // The parts go before the model they show.
    delete centralWidget();
}

void TForm_Main::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    // The menus' texts come from the caption set.
    const auto menu = [bar](const char* name) { return named(bar->addMenu(QString()), name); };

    QMenu* file = menu("File1");
    connect(named(file->addAction(QString()), "Exit1"), &QAction::triggered, this,
            &TForm_Main::exitProgram);

    QMenu* lists = menu("Liste1");
    connect(named(lists->addAction(QString()), "Sichtbarkeit"), &QAction::triggered, this,
            &TForm_Main::showCityList);
    connect(named(lists->addAction(QString()), "CityHist"), &QAction::triggered, this,
            &TForm_Main::showCityHist);
    connect(named(lists->addAction(QString()), "ComingAtHome"), &QAction::triggered, this,
            &TForm_Main::showComing);

    QMenu* markers = menu("Markierung1");
    connect(named(markers->addAction(QString()), "Markierungen_Bearbeiten"), &QAction::triggered,
            this, [this] { m_poiEditor->Open(); });
    connect(named(markers->addAction(QString()), "Markierungen_Auswaehlen"), &QAction::triggered,
            this, [this] { m_poiChooser->Open(m_poiEditor->Lines()); });

    QMenu* options = menu("Option1");
    m_languages = named(new QActionGroup(this), "LanguageGroup");
    m_languages->setExclusive(true);

    // The languages' own names, the same in every language.
    const struct {
        const char* name;
        const char* text;
        Language language;
    } languages[] = {{"Opt_Deutsch", "Deutsch", Language::German},
                     {"Opt_English", "English", Language::English},
                     {"Opt_Francais", "Fran\u00E7ais", Language::French}};

    for (const auto& l : languages) {
        QAction* action = named(options->addAction(QString::fromUtf8(l.text)), l.name);
        action->setCheckable(true);
        action->setData(static_cast<int>(l.language));
        m_languages->addAction(action);
    }
    connect(m_languages, &QActionGroup::triggered, this,
            [this](QAction* action) { ApplyLanguage(languageOfByte(action->data().toInt())); });

    QMenu* help = menu("Hilfe1");
    connect(named(help->addAction(QString()), "Hilfe2"), &QAction::triggered, this,
            [this] { OpenUserManual(DataFolder(), m_shown->language(), m_dialogs); });
    connect(named(help->addAction(QString()), "Version1"), &QAction::triggered, this,
            [this] { m_about->Open(); });
}

void TForm_Main::buildParts() {
    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    m_info = new InformationPanel(central);
    // The left column's groups, top to bottom after the information panel's own.
    m_globeGroup = new GlobeGroup;
    m_info->AddGroup(m_globeGroup);
    m_marker = new MarkerGroup;
    m_info->AddGroup(m_marker);
    m_info->SetEventCount(m_table.Count());
    m_globePanel = new GlobePanel(*m_shown, m_dialogs, DataFolder(), m_folders.temporary, central);
    row->addWidget(m_info);
    row->addWidget(m_globePanel, 1);
    setCentralWidget(central);
    // The panels that float over the window, hidden until a menu shows them.
    m_poiEditor = new PoIEditor(m_dialogs, PoIListPath(), central);
    m_poiChooser = new PoIChooser(central);
    m_about = new AboutPanel(central);
    // A small window of its own beside the main window.
    m_circumstances = new CircumstancesPanel(this);
    m_circumstances->setDataFolder(DataFolder());
}

void TForm_Main::connectParts() {
    ShownInstant* shown = m_shown.get();
    connect(shown, &ShownInstant::changed, this, &TForm_Main::shownChanged);

    // Another event, chosen with the slider or by year, ends Play.
    connect(m_info, &InformationPanel::eventChosen, this, [this](int index) {
        m_player->Stop();
        m_shown->ChooseEvent(index);
    });
    connect(m_info, &InformationPanel::yearEntered, this, [this](int year) {
        m_player->Stop();
        m_shown->ChooseYear(year);
    });
    connect(m_info, &InformationPanel::universalTimeChosen, shown, &ShownInstant::SetUniversalTime);
    connect(m_marker, &MarkerGroup::markerChanged, shown, &ShownInstant::SetMarker);

    connect(m_globePanel, &GlobePanel::timeChosen, shown, &ShownInstant::SetTimePosition);
    connect(m_globePanel, &GlobePanel::playRequested, m_player, &Player::Play);
    connect(m_globePanel, &GlobePanel::stopRequested, m_player, &Player::Stop);
    connect(m_globePanel, &GlobePanel::clicked, m_player, &Player::Stop);
    connect(m_globePanel, &GlobePanel::umbralDiameterDrawn, m_info,
            &InformationPanel::ShowUmbralDiameter);
    connect(m_globePanel, &GlobePanel::pointsNeedRebuild, m_poiChooser, &PoIChooser::MarkStale);

    connect(m_globeGroup, &GlobeGroup::textureChosen, m_globePanel, &GlobePanel::SetTexture);
    connect(m_globeGroup, &GlobeGroup::graticuleChosen, m_globePanel, &GlobePanel::SetGraticule);
    connect(m_globeGroup, &GlobeGroup::capitalsToggled, m_globePanel, &GlobePanel::ShowCapitals);
    connect(m_globeGroup, &GlobeGroup::subPlanetaryToggled, m_globePanel,
            &GlobePanel::ShowSubPlanetaryMark);
    connect(m_globeGroup, &GlobeGroup::limitsToggled, m_globePanel, &GlobePanel::ShowLimits);
    connect(m_globeGroup, &GlobeGroup::dayNightToggled, m_globePanel, &GlobePanel::ShowDayNight);
    connect(m_globeGroup, &GlobeGroup::visibilityToggled, m_globePanel,
            &GlobePanel::ShowVisibility);

    // A double click on the globe and the pop-up's button ask for the circumstances at a point.
    connect(m_globePanel, &GlobePanel::doubleClickedAt, this, &TForm_Main::openCircumstances);
    connect(m_globePanel, &GlobePanel::circumstancesRequestedAt, this,
            &TForm_Main::openCircumstances);
    connect(m_circumstances, &CircumstancesPanel::markerRequested, m_marker,
            &MarkerGroup::SetPlace);

    connect(m_poiEditor, &PoIEditor::saved, m_poiChooser, &PoIChooser::MarkStale);
    connect(m_poiChooser, &PoIChooser::picked, m_globePanel, &GlobePanel::ShowPoints);
}

void TForm_Main::shownChanged(ShownInstant::Change change) {
    m_info->Show(*m_shown, change);
    m_globePanel->Show(change);
    m_marker->ShowDistances(m_shown->MarkerTexts());
    if (change.path) {
        // The panel shows the event and time scale in force (it refreshes itself when open).
        m_circumstances->setUniversalTime(m_shown->UniversalTime());
        m_circumstances->setEvent(m_shown->Record(), m_shown->Index());
    }
    setWindowTitle(EventTitle(BaseTitle(), m_shown->PlanetText(), m_shown->KindText(),
                              m_shown->DateTimeText()));
}

void TForm_Main::openCircumstances(double latitude, double longitude) {
    if (m_shown->Ready())
        m_circumstances->openAt(latitude, longitude);
}

void TForm_Main::applySettings(const SettingsRecord& s) {
    resize(s.width, s.height);
    move(s.left, s.top);
    m_globeGroup->Restore(s);
    const ViewOptions view = ReadViewOptions(ViewOptionsPath(m_folders));
    m_globeGroup->RestoreView(view);
    m_globePanel->ShowDayNight(view.dayNight);
    m_globePanel->ShowVisibility(view.visibility);
    m_marker->Restore(s);
    m_globePanel->Restore(s);
    listWindowsFromSettings(s);
    m_shown->SetMarker(m_marker->Place());
    m_shown->Restore(s.currentIndex, s.timePosition, s.universalTime, languageOfByte(s.language));
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
    s.language = static_cast<std::uint8_t>(m_shown->language());
    s.reserved = 0;
    s.currentIndex = m_shown->Index();
    s.universalTime = m_shown->UniversalTime();
    s.timePosition = m_shown->TimePosition();
    m_globeGroup->Store(s);
    m_marker->Store(s);
    m_globePanel->Store(s);
    listWindowsToSettings(s);
    return s;
}

QString TForm_Main::LayerStorePath() const {
    return m_globePanel->LayerStorePath();
}

QString TForm_Main::PoIListPath() const {
    return m_folders.documents + QLatin1String(overlays::kPoIFileName);
}

QString TForm_Main::BaseTitle() const {
    return QString::fromStdString(
        MainWindowTitle(FileVersion().toStdString(), m_shown->language()));
}

bool TForm_Main::Playing() const {
    return m_player->Running();
}

void TForm_Main::activate() {
    if (m_closing)
        return;
    setWindowTitle(BaseTitle());
    m_about->hide();
    m_about->Refresh();
    if (!m_activated) {
        // The first activation shows the globe with its texture, graticule and zoom, and the
        // event in the title.
        m_activated = true;
        m_globePanel->Activate();
        shownChanged({});
    }
}

void TForm_Main::exitProgram() {
    // Running list calculations see the request at their next step.
    m_stopRequested = true;
    m_closing = true;
    close();
}

void TForm_Main::formClose() {
    if (m_closed)
        return;
    m_closed = true;
    m_player->Stop();
    m_closing = true;
    m_stopRequested = true;
    removeListTempFiles();
    const SettingsRecord settings = CollectSettings();
    m_globePanel->Close();
    m_circumstances->hide();
    if (m_folders.settingsReady
        && !WriteViewOptions(ViewOptionsPath(m_folders), m_globeGroup->View()))
        qWarning("The view options could not be saved to %s",
                 qPrintable(ViewOptionsPath(m_folders)));
    // Nothing is saved when the record was removed while the program ran (or never existed).
    const QString path = SettingsPath(m_folders);
    if (QFile::exists(path)) {
        // The record is written whole or not at all: a failure keeps the previous file.
        if (const std::optional<QString> problem = SaveSettings(path, settings))
            m_dialogs.fail(SettingsNotSavedText(m_shown->language()) + QStringLiteral("\n")
                           + *problem);
    }
    emit closed();
}

// ---- Events ----

void TForm_Main::closeEvent(QCloseEvent* event) {
    formClose();
    event->accept();
}

void TForm_Main::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The first showing counts as the first activation even where the window system never
    // activates the window (offscreen runs).
    if (!m_activated)
        activate();
}

void TForm_Main::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        activate();
}

}  // namespace zimbalo::app
