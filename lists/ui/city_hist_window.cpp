#include "lists/ui/city_hist_window.h"

#include <algorithm>

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

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

std::string ToCp1252(const QString& text) {
    return Utf8ToCp1252(text.toStdString());
}

// A control under its caption: one column of a row of the top panel.
QVBoxLayout* Captioned(QLabel* caption, QWidget* control) {
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    column->addWidget(caption);
    column->addWidget(control);
    return column;
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
    QFrame* panel = topPanel();
    auto* rows = new QVBoxLayout(panel);

    // First row: the city database's country and city, the button that takes the city over,
    // and the place's own country and name.
    auto* first = new QHBoxLayout;
    rows->addLayout(first);
    m_land = addPlaceChoice("ComboBox_Land");
    first->addLayout(Captioned(addLabel("Label10"), m_land));
    m_stadt = addPlaceChoice("ComboBox_Stadt");
    first->addLayout(Captioned(addLabel("Label9"), m_stadt));
    auto* take = new QPushButton(panel);
    take->setObjectName(QStringLiteral("Button_Uebernehmen"));
    first->addWidget(take, 0, Qt::AlignBottom);
    m_ortLand = addEdit("Edit_Ort_Land", QStringLiteral("My country"));
    first->addLayout(Captioned(addLabel("Label8"), m_ortLand));
    m_ortStadt = addEdit("Edit_Ort_Stadt", QStringLiteral("My favorite place"));
    first->addLayout(Captioned(addLabel("Label1"), m_ortStadt));
    first->addStretch(1);

    // Second row: position, height and population, the year range, start and stop.
    auto* second = new QHBoxLayout;
    rows->addLayout(second);
    addPositionFields(*second);
    auto* years = new QHBoxLayout;
    m_von = addCombo("ComboBox_von");
    m_von->addItems({QStringLiteral("+1980"), QStringLiteral("+2000"), QStringLiteral("+2020")});
    m_bis = addCombo("ComboBox_Bis");
    m_bis->addItems({QStringLiteral("+2000"), QStringLiteral("+2020"), QStringLiteral("+2050"),
                     QStringLiteral("+2100")});
    years->addWidget(m_von);
    years->addWidget(addLabel("Label7"));
    years->addWidget(m_bis);
    auto* range = new QVBoxLayout;
    range->setSpacing(2);
    range->addWidget(addLabel("Label6"));
    range->addLayout(years);
    second->addLayout(range);
    // The place of the fields becomes the home place.
    m_heimatort = new QPushButton(panel);
    m_heimatort->setObjectName(QStringLiteral("Button_Heimatort"));
    m_heimatort->setEnabled(false);
    second->addWidget(m_heimatort, 0, Qt::AlignBottom);
    second->addWidget(startButton(), 0, Qt::AlignBottom);
    second->addWidget(stopButton(), 0, Qt::AlignBottom);
    second->addStretch(1);

    // Receives nothing visible; kept so that every control of the window has its name.
    auto* nirwana = addLabel("Label_Nirwana");
    nirwana->setVisible(false);

    connect(m_land, qOverload<int>(&QComboBox::activated), this,
            &TForm_CityHist::ComboBox_LandClick);
    connect(take, &QPushButton::clicked, this, &TForm_CityHist::Button_UebernehmenClick);
    connect(startButton(), &QPushButton::clicked, this,
            &TForm_CityHist::Button_Start_CityHistClick);
    connect(stopButton(), &QPushButton::clicked, this, &TForm_CityHist::Button_Stop_CityHistClick);
    connect(m_heimatort, &QPushButton::clicked, this, &TForm_CityHist::Button_HeimatortClick);
    applyLanguage(context.language);
}

void TForm_CityHist::setHomeStore(HomeStore* store) {
    m_homeStore = store;
    m_heimatort->setEnabled(store != nullptr);
}

void TForm_CityHist::applyOwnTexts(Language language) {
    m_heimatort->setText(SetAsHomeCaption(language));
}

void TForm_CityHist::addPositionFields(QHBoxLayout& row) {
    // A number field under its caption, with its pair of hemisphere buttons (if any) beside it.
    const auto field = [&](const char* label, QLineEdit* edit, QRadioButton* first,
                           QRadioButton* second) {
        auto* line = new QHBoxLayout;
        line->addWidget(edit);
        if (first != nullptr) {
            auto* pair = new QVBoxLayout;
            pair->setSpacing(0);
            pair->addWidget(first);
            pair->addWidget(second);
            line->addLayout(pair);
            auto* group = new QButtonGroup(this);
            group->addButton(first);
            group->addButton(second);
        }
        auto* column = new QVBoxLayout;
        column->setSpacing(2);
        column->addWidget(addLabel(label));
        column->addLayout(line);
        row.addLayout(column);
    };
    m_breite = addEdit("Edit_Breite", QStringLiteral("47.5"));
    m_nord = addRadio("RadioButton_Nord");
    m_sued = addRadio("RadioButton_Sued");
    field("Label2", m_breite, m_nord, m_sued);
    m_laenge = addEdit("Edit_Laenge", QStringLiteral("7.5"));
    m_ost = addRadio("RadioButton_Ost");
    m_west = addRadio("RadioButton_West");
    field("Label3", m_laenge, m_ost, m_west);
    m_hoehe = addEdit("Edit_Hoehe", QStringLiteral("254"));
    field("Label4", m_hoehe, nullptr, nullptr);
    m_einwohner = addEdit("Edit_Einwohner", QString());
    m_einwohner->setEnabled(false);
    field("Label11", m_einwohner, nullptr, nullptr);
    m_nord->setChecked(true);
    m_ost->setChecked(true);
}

QLineEdit* TForm_CityHist::addEdit(const char* name, const QString& text) {
    auto* edit = new QLineEdit(text, topPanel());
    edit->setObjectName(QString::fromLatin1(name));
    // Room for a number such as "-123.4567" or a place's name; the layout may widen it.
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 9);
    return edit;
}

QLabel* TForm_CityHist::addLabel(const char* name) {
    auto* label = new QLabel(topPanel());
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QComboBox* TForm_CityHist::addCombo(const char* name) {
    auto* box = new QComboBox(topPanel());
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QComboBox* TForm_CityHist::addPlaceChoice(const char* name) {
    QComboBox* box = addCombo(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(30);
    // Long names must not widen the window: the list that drops down shows them whole.
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(18);
    return box;
}

QRadioButton* TForm_CityHist::addRadio(const char* name) {
    auto* radio = new QRadioButton(topPanel());
    radio->setObjectName(QString::fromLatin1(name));
    return radio;
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
    const Language lang = input.language;
    const astro::BesselTable* table = ctx.catalogue;
    runList(
        [table, input](const ListOutput& output, const ListCallback& callback,
                       const std::atomic<bool>* stop) {
            return RunCityHist(*table, input, output, callback, stop);
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
