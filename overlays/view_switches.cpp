#include "overlays/view_switches.h"

#include <QCheckBox>

#include "overlays/day_night.h"
#include "overlays/visibility_layer.h"

namespace zimbalo::overlays {

ViewSwitches MakeViewSwitches(QWidget* parent, Language language, bool dayNight, bool visibility) {
    ViewSwitches s;
    s.dayNight = new QCheckBox(parent);
    s.dayNight->setObjectName(QStringLiteral("CheckBox_TagNacht"));
    s.dayNight->setChecked(dayNight);
    s.visibility = new QCheckBox(parent);
    s.visibility->setObjectName(QStringLiteral("CheckBox_Sichtbarkeit"));
    s.visibility->setChecked(visibility);
    RetranslateViewSwitches(s, language);
    return s;
}

void RetranslateViewSwitches(const ViewSwitches& switches, Language language) {
    switches.dayNight->setText(DayNightCaption(language));
    switches.visibility->setText(VisibilityCaption(language));
}

}  // namespace zimbalo::overlays
