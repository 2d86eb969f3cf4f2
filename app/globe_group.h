#pragma once

#include <QGroupBox>

#include "app/settings_record.h"
#include "app/view_options.h"
#include "astro/language.h"

class QCheckBox;
class QComboBox;
class QGridLayout;

namespace zimbalo::app {

/// The globe's choices in the left column (`GroupBox_Globus`): texture, graticule, capitals,
/// the sub-planetary cross, the limits of the path, the day/night shade and the visibility layer.
/// Each choice comes out as a signal; the captions come from the caption set, the limits' from
/// `ApplyLanguage`.
class GlobeGroup : public QGroupBox {
    Q_OBJECT

public:
    explicit GlobeGroup(QWidget* parent = nullptr);

    /// The saved choices, set quietly (the window's first activation uses them).
    void Restore(const SettingsRecord& settings);
    void Store(SettingsRecord& settings) const;
    /// The switches kept beside the settings record, set quietly.
    void RestoreView(const ViewOptions& options);
    ViewOptions View() const;
    void ApplyLanguage(Language language);

    int TextureIndex() const;
    int GraticuleIndex() const;
    bool CapitalsShown() const;
    bool SubPlanetaryShown() const;
    bool LimitsShown() const;

signals:
    void textureChosen(int index);
    void graticuleChosen(int index);
    void capitalsToggled(bool shown);
    void subPlanetaryToggled(bool shown);
    void limitsToggled(bool shown);
    void dayNightToggled(bool shown);
    void visibilityToggled(bool shown);

private:
    /// A check box on a row of its own under the others.
    QCheckBox* addCheckBox(const char* name);

    QGridLayout* m_layout = nullptr;
    QComboBox* m_texture = nullptr;
    QComboBox* m_graticule = nullptr;
    QCheckBox* m_capitals = nullptr;
    QCheckBox* m_subPlanetary = nullptr;
    QCheckBox* m_limits = nullptr;
    QCheckBox* m_dayNight = nullptr;
    QCheckBox* m_visibility = nullptr;
};

}  // namespace zimbalo::app
