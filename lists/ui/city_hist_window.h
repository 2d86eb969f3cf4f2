#pragma once

#include <string>
#include <vector>

#include "lists/city_database.h"
#include "lists/planet_choice.h"
#include "lists/ui/list_window.h"

class QButtonGroup;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zimbalo::lists {

class HomeStore;

/// The place-history window: every catalogued occultation seen from one place between two
/// years. The place is typed in or taken from the city database by country and city.
class TForm_CityHist : public ListWindow {
    Q_OBJECT

public:
    explicit TForm_CityHist(const ListWindowContext& context, QWidget* parent = nullptr);

    /// Position, size, state, the place's texts, hemispheres and years for the settings record.
    CityHistSettings settings() const;

    /// Restores what `settings` returned. Empty texts and hemisphere pairs with neither button
    /// on keep the window's defaults; year entries outside the lists move to the nearest one.
    void applySettings(const CityHistSettings& settings);

    /// The planets a run computes (the main window's check boxes; none means all).
    void setPlanets(PlanetMask planets) { m_planets = planets; }

    PlanetMask planets() const { return m_planets; }

    /// Where "Als Heimatort" keeps the place of the fields; the button is off without one.
    void setHomeStore(HomeStore* store);

public slots:
    /// A country was chosen: its places fill the city choice.
    void ComboBox_LandClick();
    /// Copies the chosen city into the place's fields.
    void Button_UebernehmenClick();
    void Button_Start_CityHistClick();
    void Button_Stop_CityHistClick();
    /// Makes the place of the fields the home place.
    void Button_HeimatortClick();

protected:
    void applyOwnTexts(Language language) override;
    void onShown() override;
    QString defaultSaveName() const override;

private:
    /// Latitude, longitude and height with their hemisphere buttons, and the population, each
    /// under its caption, into `row`.
    void addPositionFields(QHBoxLayout& row);
    QLineEdit* addEdit(const char* name, const QString& text);
    QLabel* addLabel(const char* name);
    QRadioButton* addRadio(const char* name);
    QComboBox* addCombo(const char* name);
    /// An editable choice of the city database (country or place) that takes no new entries.
    QComboBox* addPlaceChoice(const char* name);
    std::string cityFile() const;

    QComboBox* m_land = nullptr;
    QComboBox* m_stadt = nullptr;
    QLineEdit* m_ortLand = nullptr;
    QLineEdit* m_ortStadt = nullptr;
    QLineEdit* m_breite = nullptr;
    QLineEdit* m_laenge = nullptr;
    QLineEdit* m_hoehe = nullptr;
    QLineEdit* m_einwohner = nullptr;
    QRadioButton* m_nord = nullptr;
    QRadioButton* m_sued = nullptr;
    QRadioButton* m_ost = nullptr;
    QRadioButton* m_west = nullptr;
    QComboBox* m_von = nullptr;
    QComboBox* m_bis = nullptr;
    QPushButton* m_heimatort = nullptr;
    HomeStore* m_homeStore = nullptr;
    PlanetMask m_planets = 0;
    CityTable m_cityTable;
    // The country list of the last city database read: the file does not change while the
    // program runs, and each showing of the window offers the list afresh.
    std::string m_countriesFile;
    std::vector<std::string> m_countries;
};

}  // namespace zimbalo::lists
