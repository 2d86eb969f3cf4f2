#pragma once

#include <array>
#include <utility>

#include <QString>
#include <QWidget>

#include "app/version_info.h"

class QTableWidget;

namespace zimbalo::app {

inline constexpr int kVersionGridRows = 17;

/// The 17 rows of the version grid: a label padded with blanks to 16 characters and its value;
/// flags read "Yes" or "No". Comments, Patched and InfoInferred are not shown.
std::array<std::pair<QString, QString>, kVersionGridRows> VersionGridRows(
    const TFileVersionInfo& info);

/// Writes the rows of `info` into `grid` (2 columns x 17 rows).
void FillVersionGrid(QTableWidget& grid, const TFileVersionInfo& info);

/// Writes the rows of the running program's version information into `grid`.
void FillVersionGrid(QTableWidget& grid);

/// The caption of `Label_Zimbalo`: "Zimbalo", six blanks and the file version.
QString AboutCaption(const QString& fileVersion);

/// Fills the about panel with its controls, each created once: the program icon
/// (`Image_Zimbalo`), `Label_Zimbalo`, the version grid `StringGrid_VersionsInfo` (2 x 17 cells
/// of 165 x 19 pixels, bold) and the button `Button_About_OK` ("OK"), reusing those that exist;
/// lays them out (replacing any earlier layout) and sizes the panel to them.
void BuildAboutPanel(QWidget& panel);

/// Where the about panel goes in a parent of `parentWidth` pixels: at the top, centred
/// horizontally, kept inside the parent's left edge. Returns {left, top}.
std::pair<int, int> AboutPanelPosition(int parentWidth, int panelWidth);

/// The about panel (`Panel_About`), floating at the top of the main window: icon, name and
/// version, the version grid and "OK", which hides it.
class AboutPanel : public QWidget {
    Q_OBJECT

public:
    explicit AboutPanel(QWidget* parent);

    /// Refills the version grid (on every activation of the window).
    void Refresh();
    /// Refills the grid and the caption and shows the panel at the top, centred.
    void Open();
};

}  // namespace zimbalo::app
