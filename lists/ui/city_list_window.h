#pragma once

#include "lists/ui/list_window.h"

class QComboBox;
class QLabel;

namespace zimbalo::lists {

/// The many-places window: the visibility of the main window's current event at every place of
/// the city database that reaches the chosen population.
class TForm_CityList : public ListWindow {
    Q_OBJECT

public:
    explicit TForm_CityList(const ListWindowContext& context, QWidget* parent = nullptr);

    /// Position, size, state and threshold entry for the settings record.
    CityListSettings settings() const;

    /// Restores what `settings` returned; an entry outside 0..9 is moved to the nearest one.
    void applySettings(const CityListSettings& settings);

public slots:
    void Button_Start_CityListClick();
    void Button_Stop_CityListClick();

protected:
    /// The threshold choice in `language`, keeping the selected entry.
    void applyOwnTexts(Language language) override;
    QString defaultSaveName() const override;

private:
    QLabel* m_label1 = nullptr;
    QComboBox* m_population = nullptr;
};

}  // namespace zimbalo::lists
