#include "app/globe_group.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>

#include "app/named_widget.h"
#include "overlays/globe_controls.h"
#include "overlays/limits_layer.h"

namespace zimbalo::app {

GlobeGroup::GlobeGroup(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("GroupBox_Globus"));
    m_layout = groupLayout<QGridLayout>(this);
    m_layout->setVerticalSpacing(1);
    m_texture = named(new QComboBox, "ComboBox_Globus");
    // The textures' names are the same in every language.
    for (const overlays::TextureChoice& choice : overlays::kTextures)
        m_texture->addItem(QString::fromUtf8(choice.item));
    m_graticule = named(new QComboBox, "ComboBox_GradNetz");  // items from the caption set
    for (QComboBox* box : {m_texture, m_graticule}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(8);
        box->view()->setMinimumWidth(150);
    }
    m_capitals = named(new QCheckBox, "CheckBox_Cities");
    m_subPlanetary = named(new QCheckBox, "CheckBox_SSP");
    m_layout->addWidget(m_texture, 0, 0);
    m_layout->addWidget(m_graticule, 0, 1);
    auto* boxes = new QHBoxLayout;
    boxes->setSpacing(4);
    boxes->addWidget(m_capitals);
    boxes->addWidget(m_subPlanetary, 1);
    m_layout->addLayout(boxes, 1, 0, 1, 2);
    // Shown at every start; not kept in the settings.
    m_limits = addCheckBox("CheckBox_Limits");
    m_limits->setChecked(true);
    // Kept in the view options file; their captions come from the caption set.
    m_dayNight = addCheckBox("CheckBox_TagNacht");
    m_visibility = addCheckBox("CheckBox_Sichtbarkeit");

    connect(m_texture, &QComboBox::currentIndexChanged, this, &GlobeGroup::textureChosen);
    connect(m_graticule, &QComboBox::currentIndexChanged, this, &GlobeGroup::graticuleChosen);
    connect(m_capitals, &QCheckBox::toggled, this, &GlobeGroup::capitalsToggled);
    connect(m_subPlanetary, &QCheckBox::toggled, this, &GlobeGroup::subPlanetaryToggled);
    connect(m_limits, &QCheckBox::toggled, this, &GlobeGroup::limitsToggled);
    connect(m_dayNight, &QCheckBox::toggled, this, &GlobeGroup::dayNightToggled);
    connect(m_visibility, &QCheckBox::toggled, this, &GlobeGroup::visibilityToggled);
}

QCheckBox* GlobeGroup::addCheckBox(const char* name) {
    auto* box = named(new QCheckBox, name);
    m_layout->addWidget(box, m_layout->rowCount(), 0, 1, 2);  // the whole caption shows
    return box;
}

void GlobeGroup::Restore(const SettingsRecord& s) {
    const QSignalBlocker b1(m_texture), b2(m_graticule), b3(m_capitals), b4(m_subPlanetary);
    m_texture->setCurrentIndex(s.textureIndex);
    m_graticule->setCurrentIndex(s.gridIndex);
    m_capitals->setChecked(s.capitalsShown);
    m_subPlanetary->setChecked(s.subPlanetaryShown);
}

void GlobeGroup::Store(SettingsRecord& s) const {
    s.textureIndex = m_texture->currentIndex();
    s.gridIndex = m_graticule->currentIndex();
    s.capitalsShown = m_capitals->isChecked();
    s.subPlanetaryShown = m_subPlanetary->isChecked();
}

void GlobeGroup::RestoreView(const ViewOptions& options) {
    const QSignalBlocker b1(m_dayNight), b2(m_visibility);
    m_dayNight->setChecked(options.dayNight);
    m_visibility->setChecked(options.visibility);
}

ViewOptions GlobeGroup::View() const {
    ViewOptions options;
    options.dayNight = m_dayNight->isChecked();
    options.visibility = m_visibility->isChecked();
    return options;
}

void GlobeGroup::ApplyLanguage(Language language) {
    m_limits->setText(overlays::LimitsCaption(language));
}

int GlobeGroup::TextureIndex() const {
    return m_texture->currentIndex();
}

int GlobeGroup::GraticuleIndex() const {
    return m_graticule->currentIndex();
}

bool GlobeGroup::CapitalsShown() const {
    return m_capitals->isChecked();
}

bool GlobeGroup::SubPlanetaryShown() const {
    return m_subPlanetary->isChecked();
}

bool GlobeGroup::LimitsShown() const {
    return m_limits->isChecked();
}

}  // namespace zimbalo::app
