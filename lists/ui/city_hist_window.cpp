#include "lists/ui/city_hist_window.h"

#include <algorithm>

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "dialogs/user_dialogs.h"
#include "lists/cp1252.h"
#include "lists/number_text.h"
#include "lists/place_input.h"
#include "lists/ui/home_store.h"

namespace zimbalo::lists {

namespace {

constexpr ListWindow::Names kNames{
    "TForm_CityHist",       "RichEdit_CityHist", "Button_Start_CityHist",
    "Button_Stop_CityHist", "Panel_Top",         ""};

constexpr int kPanelHeight = 150;
// Width the controls of the top panel need; a narrower window scrolls sideways.
constexpr int kControlsWidth = 1042;

std::string ToCp1252(const QString& text) {
    return Utf8ToCp1252(text.toStdString());
}

// Names a control of the top panel and puts it in place.
template <typename Control>
Control* placed(Control* control, const char* name, int x, int y, int width, int height) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(x, y, width, height);
    return control;
}

// Offers Windows-1252 names in a combo box, none of them chosen yet.
void offerChoices(QComboBox* box, const std::vector<std::string>& names) {
    QStringList items;
    items.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names) {
        items << fromCp1252(name);
    }
    box->addItems(items);
    box->setCurrentIndex(-1);
    box->clearEditText();
}

// Year of an entry such as "+1980".
int EntryYear(const QComboBox* box, int fallback) {
    return ParseStrictInt32(box->currentText().toStdString()).value_or(fallback);
}

}  // namespace

TForm_CityHist::TForm_CityHist(const ListWindowContext& context, QWidget* parent)
    : ListWindow(ListKind::CityHist, kNames, context, parent) {
    resize(1174, 699);
    content()->setMinimumSize(kControlsWidth, 300);
    QFrame* panel = topPanel();
    panel->setFixedHeight(kPanelHeight);

    addLabel("Label10", QStringLiteral("Land (auswählen)"), 8, 6, 220);
    m_land = addPlaceChoice("ComboBox_Land", 8);
    addLabel("Label9", QStringLiteral("Stadt (auswählen)"), 236, 6, 220);
    m_stadt = addPlaceChoice("ComboBox_Stadt", 236);
    auto* take = placed(new QPushButton(QStringLiteral("Übernehmen  ->"), panel),
                        "Button_Uebernehmen", 464, 22, 116, 30);

    addLabel("Label8", QStringLiteral("Land/Landschaft  (fakultativ)"), 592, 6, 200);
    m_ortLand = addEdit("Edit_Ort_Land", QStringLiteral("My country"), 592, 24, 200);
    addLabel("Label1", QStringLiteral("Ort/Stadt/Bezeichnung"), 802, 6, 230);
    m_ortStadt = addEdit("Edit_Ort_Stadt", QStringLiteral("My favorite place"), 802, 24, 230);

    addPositionFields();

    addLabel("Label6", QStringLiteral("Suche zwischen den Jahren"), 592, 60, 230);
    m_von = addCombo("ComboBox_von", 592, 80, 80);
    m_von->addItems({QStringLiteral("+1980"), QStringLiteral("+2000"), QStringLiteral("+2020")});
    addLabel("Label7", QStringLiteral("und"), 678, 84, 36);
    m_bis = addCombo("ComboBox_Bis", 716, 80, 80);
    m_bis->addItems({QStringLiteral("+2000"), QStringLiteral("+2020"), QStringLiteral("+2050"),
                     QStringLiteral("+2100")});
    // Over the start and stop buttons: the place of the fields becomes the home place.
    m_heimatort = placed(new QPushButton(SetAsHomeCaption(Language::German), panel),
                         "Button_Heimatort", 830, 52, 202, 24);
    m_heimatort->setEnabled(false);
    startButton()->setGeometry(812, 78, 106, 30);
    stopButton()->setGeometry(926, 78, 106, 30);

    // Receives nothing visible; kept so that every control of the window has its name.
    auto* nirwana = addLabel("Label_Nirwana", QString(), 0, 0, 1);
    nirwana->setVisible(false);

    setHeaderTop(kPanelHeight - header()->height() - 2);

    connect(m_land, qOverload<int>(&QComboBox::activated), this,
            &TForm_CityHist::ComboBox_LandClick);
    connect(take, &QPushButton::clicked, this, &TForm_CityHist::Button_UebernehmenClick);
    connect(startButton(), &QPushButton::clicked, this,
            &TForm_CityHist::Button_Start_CityHistClick);
    connect(stopButton(), &QPushButton::clicked, this, &TForm_CityHist::Button_Stop_CityHistClick);
    connect(m_heimatort, &QPushButton::clicked, this, &TForm_CityHist::Button_HeimatortClick);
}

void TForm_CityHist::setHomeStore(HomeStore* store) {
    m_homeStore = store;
    m_heimatort->setEnabled(store != nullptr);
}

void TForm_CityHist::setLanguage(Language language) {
    ListWindow::setLanguage(language);
    m_heimatort->setText(SetAsHomeCaption(language));
}

void TForm_CityHist::addPositionFields() {
    addLabel("Label2", QStringLiteral("Geogr. Breite (Grad)"), 8, 60, 180);
    m_breite = addEdit("Edit_Breite", QStringLiteral("47.5"), 8, 80, 90);
    m_nord = addRadio("RadioButton_Nord", QStringLiteral("Nord"), 104, 72);
    m_sued = addRadio("RadioButton_Sued", QStringLiteral("Süd"), 104, 94);
    addLabel("Label3", QStringLiteral("Geogr. Länge (Grad)"), 200, 60, 180);
    m_laenge = addEdit("Edit_Laenge", QStringLiteral("7.5"), 200, 80, 90);
    m_ost = addRadio("RadioButton_Ost", QStringLiteral("Ost"), 296, 72);
    m_west = addRadio("RadioButton_West", QStringLiteral("West"), 296, 94);
    addLabel("Label4", QStringLiteral("Höhe (m)"), 392, 60, 80);
    m_hoehe = addEdit("Edit_Hoehe", QStringLiteral("254"), 392, 80, 70);
    addLabel("Label11", QStringLiteral("Einwohner"), 476, 60, 100);
    m_einwohner = addEdit("Edit_Einwohner", QString(), 476, 80, 100);
    m_einwohner->setEnabled(false);
    auto* latitudeGroup = new QButtonGroup(this);
    latitudeGroup->addButton(m_nord);
    latitudeGroup->addButton(m_sued);
    auto* longitudeGroup = new QButtonGroup(this);
    longitudeGroup->addButton(m_ost);
    longitudeGroup->addButton(m_west);
    m_nord->setChecked(true);
    m_ost->setChecked(true);
}

QLineEdit* TForm_CityHist::addEdit(const char* name, const QString& text, int x, int y, int width) {
    return placed(new QLineEdit(text, topPanel()), name, x, y, width, 26);
}

QLabel* TForm_CityHist::addLabel(const char* name, const QString& text, int x, int y, int width) {
    return placed(new QLabel(text, topPanel()), name, x, y, width, 18);
}

QComboBox* TForm_CityHist::addCombo(const char* name, int x, int y, int width) {
    return placed(new QComboBox(topPanel()), name, x, y, width, 26);
}

QComboBox* TForm_CityHist::addPlaceChoice(const char* name, int x) {
    QComboBox* box = addCombo(name, x, 24, 220);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(30);
    return box;
}

QRadioButton* TForm_CityHist::addRadio(const char* name, const QString& text, int x, int y) {
    return placed(new QRadioButton(text, topPanel()), name, x, y, 90, 22);
}

std::string TForm_CityHist::cityFile() const {
    return CityFileName(language(), context().dataFolder);
}

QString TForm_CityHist::defaultSaveName() const {
    return QStringLiteral("Zimbalo_CityHist.txt");
}

void TForm_CityHist::onShown() {
    m_land->clear();
    m_stadt->clear();
    const std::string file = cityFile();
    try {
        if (file != m_countriesFile) {
            m_countriesFile.clear();
            m_countries = CountryList(file);
            m_countriesFile = file;
        }
    } catch (const std::exception& e) {
        if (context().dialogs != nullptr) {
            context().dialogs->fail(QString::fromUtf8(e.what()));
        }
        return;
    }
    offerChoices(m_land, m_countries);
}

void TForm_CityHist::ComboBox_LandClick() {
    m_stadt->clear();
    const int index = m_land->currentIndex();
    if (index < 0) {
        return;
    }
    try {
        offerChoices(m_stadt,
                     PlacesOfCountry(cityFile(), ToCp1252(m_land->itemText(index)), m_cityTable));
    } catch (const std::exception& e) {
        m_cityTable.Clear();
        if (context().dialogs != nullptr) {
            context().dialogs->fail(QString::fromUtf8(e.what()));
        }
    }
}

void TForm_CityHist::Button_UebernehmenClick() {
    startButton()->setFocus();
    // The entry shown: the selected one, or the first whose name was typed in full.
    int index = m_stadt->currentIndex();
    if (index < 0 || m_stadt->itemText(index) != m_stadt->currentText()) {
        index = m_stadt->findText(m_stadt->currentText(), Qt::MatchExactly);
    }
    if (index < 0 || index >= m_cityTable.Count()) {
        return;
    }
    const PlaceInputTexts texts = PlaceInputFromCity(m_cityTable[index + 1]);
    m_ortLand->setText(m_land->currentText());
    m_ortStadt->setText(m_stadt->itemText(index));
    m_breite->setText(fromCp1252(texts.breite));
    (texts.north ? m_nord : m_sued)->setChecked(true);
    m_laenge->setText(fromCp1252(texts.laenge));
    (texts.west ? m_west : m_ost)->setChecked(true);
    m_hoehe->setText(fromCp1252(texts.hoehe));
    m_einwohner->setText(fromCp1252(texts.einwohner));
}

void TForm_CityHist::Button_Start_CityHistClick() {
    const ListWindowContext& ctx = context();
    if (anyRunGoing()) {
        return;
    }
    PlaceInputTexts texts;
    texts.land = ToCp1252(m_ortLand->text());
    texts.stadt = ToCp1252(m_ortStadt->text());
    texts.breite = ToCp1252(m_breite->text());
    texts.laenge = ToCp1252(m_laenge->text());
    texts.hoehe = ToCp1252(m_hoehe->text());
    texts.einwohner = ToCp1252(m_einwohner->text());
    texts.north = m_nord->isChecked();
    texts.west = m_west->isChecked();
    const PlaceInputResult place = ReadPlaceInput(texts, language());
    if (!place.place) {
        if (ctx.dialogs != nullptr) {
            ctx.dialogs->inform(fromCp1252(place.message));
        }
        return;
    }
    // South unless north is chosen, east unless west is chosen: show what is computed.
    (texts.north ? m_nord : m_sued)->setChecked(true);
    (texts.west ? m_west : m_ost)->setChecked(true);

    if (ctx.catalogue == nullptr) {
        return;
    }
    CityHistInput input;
    input.place = *place.place;
    input.planets = m_planets;
    input.firstYear = EntryYear(m_von, 1980);
    input.lastYear = EntryYear(m_bis, 2100);
    input.language = language();
    const std::atomic<bool>* stop = ctx.control != nullptr ? &ctx.control->stopFlag() : nullptr;
    const Language lang = input.language;
    const astro::BesselTable& table = *ctx.catalogue;
    runList(
        [&](const ListOutput& output, const ListCallback& callback) {
            return RunCityHist(table, input, output, callback, stop);
        },
        [lang](const ListStep& step) { return CityHistStatus(step.number, step.found, lang); });
}

void TForm_CityHist::Button_HeimatortClick() {
    if (m_homeStore == nullptr) {
        return;
    }
    PlaceInputTexts texts;
    texts.stadt = ToCp1252(m_ortStadt->text());
    texts.breite = ToCp1252(m_breite->text());
    texts.laenge = ToCp1252(m_laenge->text());
    texts.hoehe = ToCp1252(m_hoehe->text());
    texts.north = m_nord->isChecked();
    texts.west = m_west->isChecked();
    const PlaceInputResult place = ReadPlaceInput(texts, language());
    dialogs::UserDialogs* dialogs = context().dialogs;
    if (!place.place) {
        if (dialogs != nullptr) {
            dialogs->inform(fromCp1252(place.message));
        }
        return;
    }
    // The name as typed (UTF-8): the home file is not bound to the code page of the lists.
    const QString error =
        m_homeStore->setHome(m_ortStadt->text().trimmed().toStdString(), place.place->Breite,
                             place.place->Laenge, place.place->Hoehe, language());
    if (dialogs != nullptr) {
        if (!error.isEmpty()) {
            dialogs->fail(error);
        } else if (m_homeStore->home()) {
            dialogs->inform(HomeStore::confirmation(*m_homeStore->home(), language()));
        }
    }
}

void TForm_CityHist::Button_Stop_CityHistClick() {
    requestStop();
}

CityHistSettings TForm_CityHist::settings() const {
    CityHistSettings s;
    s.geometry = geometryState();
    s.placeName = m_ortStadt->text();
    s.latitude = m_breite->text();
    s.longitude = m_laenge->text();
    s.height = m_hoehe->text();
    s.north = m_nord->isChecked();
    s.south = m_sued->isChecked();
    s.west = m_west->isChecked();
    s.east = m_ost->isChecked();
    s.fromIndex = std::max(0, m_von->currentIndex());
    s.toIndex = std::max(0, m_bis->currentIndex());
    return s;
}

void TForm_CityHist::applySettings(const CityHistSettings& s) {
    restoreGeometryState(s.geometry);
    const auto keepOrSet = [](QLineEdit* edit, const QString& text) {
        if (!text.isEmpty()) {
            edit->setText(text);
        }
    };
    keepOrSet(m_ortStadt, s.placeName);
    keepOrSet(m_breite, s.latitude);
    keepOrSet(m_laenge, s.longitude);
    keepOrSet(m_hoehe, s.height);
    if (s.north || s.south) {
        (s.north ? m_nord : m_sued)->setChecked(true);
    }
    if (s.west || s.east) {
        (s.west ? m_west : m_ost)->setChecked(true);
    }
    m_von->setCurrentIndex(std::clamp(s.fromIndex, 0, m_von->count() - 1));
    m_bis->setCurrentIndex(std::clamp(s.toIndex, 0, m_bis->count() - 1));
}

}  // namespace zimbalo::lists
