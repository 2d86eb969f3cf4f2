#include "app/marker_group.h"

#include <algorithm>
#include <cmath>

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "app/named_widget.h"

namespace zimbalo::app {

namespace {

/// A number typed with "." as decimal separator; 0 for text that is none.
double numberOfText(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

}  // namespace

MarkerGroup::MarkerGroup(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("GroupBox_Markierung"));
    auto* l = groupLayout<QGridLayout>(this);
    l->setVerticalSpacing(1);
    m_latitude = named(new QLineEdit, "Edit_PoI_Breite");
    m_longitude = named(new QLineEdit, "Edit_PoI_Laenge");
    m_latitude->setFixedWidth(64);
    m_longitude->setFixedWidth(64);
    // North and south are the same letters in every language; east and west take the set's.
    m_north = named(new QRadioButton(QStringLiteral("N")), "RadioButton_PoI_Nord");
    m_south = named(new QRadioButton(QStringLiteral("S")), "RadioButton_PoI_Sued");
    m_east = named(new QRadioButton, "RadioButton_PoI_Ost");
    m_west = named(new QRadioButton, "RadioButton_PoI_West");
    auto* northSouth = new QButtonGroup(this);
    northSouth->addButton(m_north);
    northSouth->addButton(m_south);
    auto* eastWest = new QButtonGroup(this);
    eastWest->addButton(m_east);
    eastWest->addButton(m_west);
    m_north->setChecked(true);
    m_east->setChecked(true);
    m_shown = named(new QCheckBox, "CheckBox_PoI");
    m_distA = named(new QLabel, "Label_DistA");
    m_distB = named(new QLabel, "Label_DistB");
    l->addWidget(m_latitude, 0, 0);
    l->addWidget(m_north, 0, 1);
    l->addWidget(m_south, 0, 2);
    l->addWidget(m_shown, 0, 3);
    l->addWidget(m_longitude, 1, 0);
    l->addWidget(m_east, 1, 1);
    l->addWidget(m_west, 1, 2);
    l->addWidget(m_distA, 2, 0, 1, 4);
    l->addWidget(m_distB, 3, 0, 1, 4);
    auto* setAsHome = named(new QPushButton, "Button_PoI_Heimatort");
    l->addWidget(setAsHome, 4, 0, 1, 4);
    connect(setAsHome, &QPushButton::clicked, this, [this] { emit setAsHomeRequested(m_place); });

    // Like the fields' change events, these run for typed text and for text set by the program.
    connect(m_latitude, &QLineEdit::textChanged, this,
            [this] { fieldChanged(m_latitude, 90.0, true); });
    connect(m_longitude, &QLineEdit::textChanged, this,
            [this] { fieldChanged(m_longitude, 180.0, false); });
    // A hemisphere switched on reads its field again.
    for (QRadioButton* radio : {m_north, m_south}) {
        connect(radio, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                fieldChanged(m_latitude, 90.0, true);
        });
    }
    for (QRadioButton* radio : {m_east, m_west}) {
        connect(radio, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                fieldChanged(m_longitude, 180.0, false);
        });
    }
    connect(m_shown, &QCheckBox::toggled, this, [this](bool on) {
        m_place.shown = on;
        emit markerChanged(m_place);
    });
}

void MarkerGroup::fieldChanged(QLineEdit* field, double bound, bool latitude) {
    const QString text = field->text();
    const overlays::MarkerFieldCheck check = overlays::CheckMarkerField(text, bound);
    if (check.text != text) {
        field->setText(check.text);  // runs this again with the trimmed text
        return;
    }
    if (!check.value) {
        field->clear();  // runs this again: an empty field is 0
        return;
    }
    const double v = *check.value;
    if (latitude)
        m_place.latitude = m_south->isChecked() ? -v : v;
    else
        m_place.longitude = m_west->isChecked() ? -v : v;
    // Any edit shows the marker at its new place.
    m_place.shown = true;
    {
        const QSignalBlocker blocker(m_shown);
        m_shown->setChecked(true);
    }
    emit markerChanged(m_place);
}

void MarkerGroup::SetPlace(double latitude, double longitude) {
    if (!std::isfinite(latitude) || !std::isfinite(longitude))
        return;
    // Rounded as the fields show it, so a restart reads back the same place.
    latitude = std::round(std::clamp(latitude, -90.0, 90.0) * 1e4) / 1e4;
    longitude = std::round(std::clamp(longitude, -180.0, 180.0) * 1e4) / 1e4;
    {
        const QSignalBlocker b1(m_latitude), b2(m_longitude), b3(m_north), b4(m_south), b5(m_east),
            b6(m_west), b7(m_shown);
        m_latitude->setText(QString::number(std::abs(latitude), 'f', 4));
        m_longitude->setText(QString::number(std::abs(longitude), 'f', 4));
        (latitude < 0.0 ? m_south : m_north)->setChecked(true);
        (longitude < 0.0 ? m_west : m_east)->setChecked(true);
        m_shown->setChecked(true);
    }
    m_place = {latitude, longitude, true};
    emit markerChanged(m_place);
}

void MarkerGroup::Restore(const SettingsRecord& s) {
    const QSignalBlocker b1(m_latitude), b2(m_longitude), b3(m_north), b4(m_south), b5(m_east),
        b6(m_west), b7(m_shown);
    m_latitude->setText(QString::fromStdString(s.poiLatitude));
    m_longitude->setText(QString::fromStdString(s.poiLongitude));
    (s.poiSouth ? m_south : m_north)->setChecked(true);
    (s.poiWest ? m_west : m_east)->setChecked(true);
    const double lat = numberOfText(m_latitude->text());
    const double lon = numberOfText(m_longitude->text());
    m_place.latitude = s.poiSouth ? -lat : lat;
    m_place.longitude = s.poiWest ? -lon : lon;
    m_shown->setChecked(s.poiShown);
    m_place.shown = s.poiShown;
}

void MarkerGroup::Store(SettingsRecord& s) const {
    s.poiLatitude = m_latitude->text().toStdString();
    s.poiNorth = m_north->isChecked();
    s.poiSouth = m_south->isChecked();
    s.poiLongitude = m_longitude->text().toStdString();
    s.poiEast = m_east->isChecked();
    s.poiWest = m_west->isChecked();
    s.poiShown = m_shown->isChecked();
}

void MarkerGroup::ShowDistances(const overlays::MarkerDistanceTexts& texts) {
    m_distA->setText(texts.distA);
    m_distB->setText(texts.distB);
}

}  // namespace zimbalo::app
