#pragma once

#include <QScrollArea>

#include "app/shown_instant.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTableWidget;
class QVBoxLayout;

namespace zimbalo::app {

/// The left column of the main window (`ScrollBox_Links`): the event slider and year field, the
/// planet, kind and date of the event, the value grid `SG`, the planet choice and the time scale,
/// followed by the groups added with `AddGroup`. Shows a `ShownInstant`; a user's choice comes
/// out as a signal. Its captions come from the caption set applied to the whole window.
class InformationPanel : public QScrollArea {
    Q_OBJECT

public:
    explicit InformationPanel(QWidget* parent = nullptr);

    /// Puts a group of controls at the end of the column.
    void AddGroup(QWidget* group);
    /// The event slider's range: 1..count.
    void SetEventCount(int count);
    /// Shows the model after a change: labels, grid and time scale; the event slider and the
    /// year field only when the event changed (a year being typed is kept meanwhile).
    void Show(const ShownInstant& shown, ShownInstant::Change change);
    /// Grid row 11: the umbral diameter the globe's overlay computed.
    void ShowUmbralDiameter(const GridRow& row);

signals:
    void eventChosen(int index);
    /// Enter in the year field with a year (already clamped to 1980..2100).
    void yearEntered(int year);
    void universalTimeChosen(bool universalTime);
    /// The planet check boxes changed: bit `planet - 1` for each checked box (none means all).
    void planetsChosen(unsigned planets);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildEventGroups();
    void buildElementGrid();
    void buildChoiceGroups();
    void setGridRow(int row, const GridRow& texts);

    QWidget* m_column = nullptr;
    QVBoxLayout* m_layout = nullptr;
    QScrollBar* m_event = nullptr;
    QLineEdit* m_year = nullptr;
    QLabel* m_planet = nullptr;
    QLabel* m_kind = nullptr;
    QLabel* m_dateTime = nullptr;
    QTableWidget* m_grid = nullptr;
    QCheckBox* m_universalTime = nullptr;
};

}  // namespace zimbalo::app
