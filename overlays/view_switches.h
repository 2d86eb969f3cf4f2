#pragma once

#include "astro/language.h"

class QCheckBox;
class QWidget;

/// The globe group's two check boxes for the day/night shade and the visibility layer. The
/// window that holds them connects `toggled` to ShowVisibilityLayer and to a repaint that draws
/// DrawDayNight over the globe, and keeps their states with WriteViewOptions.
namespace zimbalo::overlays {

struct ViewSwitches {
    QCheckBox* dayNight = nullptr;    ///< objectName "CheckBox_TagNacht"
    QCheckBox* visibility = nullptr;  ///< objectName "CheckBox_Sichtbarkeit"
};

/// Creates the two boxes as children of `parent` with the captions of `language` and the given
/// states; no signal fires while they are made.
ViewSwitches MakeViewSwitches(QWidget* parent, Language language, bool dayNight, bool visibility);

/// Sets the captions of `language`.
void RetranslateViewSwitches(const ViewSwitches& switches, Language language);

}  // namespace zimbalo::overlays
