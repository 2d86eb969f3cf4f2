#pragma once

#include <QGroupBox>

#include "app/settings_record.h"
#include "app/shown_instant.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace zimbalo::app {

/// The marker's group in the left column (`GroupBox_Markierung`): latitude and longitude fields
/// with their hemispheres, the check box that shows the marker, and the two distance labels.
/// A field that is edited (by the user or the program) is checked as typed, places the marker and
/// switches it on; every change of place or visibility comes out as `markerChanged`.
class MarkerGroup : public QGroupBox {
    Q_OBJECT

public:
    explicit MarkerGroup(QWidget* parent = nullptr);

    /// The saved fields, set quietly.
    void Restore(const SettingsRecord& settings);
    void Store(SettingsRecord& settings) const;

    const MarkerPlace& Place() const { return m_place; }

    /// Puts a point (degrees north and east) into the fields, four decimals, and shows the
    /// marker there: one `markerChanged`.
    void SetPlace(double latitude, double longitude);

    /// The marker's distances from the shadow axis and from the axis point.
    void ShowDistances(const overlays::MarkerDistanceTexts& texts);

signals:
    void markerChanged(const MarkerPlace& place);
    /// "Als Heimatort": the fields' place is to become the home place.
    void setAsHomeRequested(const MarkerPlace& place);

private:
    void fieldChanged(QLineEdit* field, double bound, bool latitude);

    MarkerPlace m_place;
    QLineEdit* m_latitude = nullptr;
    QLineEdit* m_longitude = nullptr;
    QRadioButton* m_north = nullptr;
    QRadioButton* m_south = nullptr;
    QRadioButton* m_east = nullptr;
    QRadioButton* m_west = nullptr;
    QCheckBox* m_shown = nullptr;
    QLabel* m_distA = nullptr;
    QLabel* m_distB = nullptr;
};

}  // namespace zimbalo::app
