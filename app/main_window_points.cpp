// Capitals, the single marker and the listed points of interest of the main window: the three
// point layers, the marker's fields and distances, and the edit and selection panels of the list.

#include <array>
#include <optional>
#include <utility>

#include <QCheckBox>
#include <QDir>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/main_window.h"
#include "globe/view/globe_view.h"
#include "overlays/point_layers.h"
#include "overlays/points_of_interest.h"

namespace zimbalo::app {

namespace {

/// The fixed-pitch face of the list, so that its columns line up.
QFont listFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

}  // namespace

void TForm_Main::SetupPoints() {
    // Titles under 8 pixels are dropped (the capitals' names when zoomed out, where they would
    // only be a smear), and none grows beyond 40 pixels.
    Globe->Renderer().SetMinTextHeight(8);
    Globe->Renderer().SetMaxTextHeight(40);
    RichEdit_PoIs->setFont(listFont());
    RichEdit_PoIs->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit_PoIs->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit_PoIs->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit_PoIs->setPlainText(overlays::DefaultPoILines().join(QLatin1Char('\n')));
    CheckListBox_PoIs->setFont(listFont());

    connect(Markierungen_Bearbeiten, &QAction::triggered, this,
            [this] { Markierungen_BearbeitenClick(); });
    connect(Markierungen_Auswaehlen, &QAction::triggered, this,
            [this] { Markierungen_AuswaehlenClick(); });
    connect(Button_PoIS_Speichern, &QPushButton::clicked, this,
            [this] { Button_PoIS_SpeichernClick(); });
    connect(Button_PoIS_Abbrechen, &QPushButton::clicked, this,
            [this] { Button_PoIS_AbbrechenClick(); });
    connect(Button_PoIs_Select, &QPushButton::clicked, this, [this] { Button_PoIs_SelectClick(); });
    connect(Button_PoIs_Select_Cancel, &QPushButton::clicked, this,
            [this] { Button_PoIs_Select_CancelClick(); });
    connect(CheckBox_Cities, &QCheckBox::toggled, this, [this] { CheckBox_CitiesClick(); });
    connect(CheckBox_PoI, &QCheckBox::toggled, this, [this] { CheckBox_PoIClick(); });
    // Like the fields' change events, these run for typed text and for text set by the program.
    connect(Edit_PoI_Breite, &QLineEdit::textChanged, this, [this] { Edit_PoI_BreiteChange(); });
    connect(Edit_PoI_Laenge, &QLineEdit::textChanged, this, [this] { Edit_PoI_LaengeChange(); });
    // A button's click handler runs when it is switched on, by the user or by the program.
    const std::array<std::pair<QRadioButton*, void (TForm_Main::*)()>, 4> radioClicks = {{
        {RadioButton_PoI_Nord, &TForm_Main::RadioButton_PoI_NordClick},
        {RadioButton_PoI_Sued, &TForm_Main::RadioButton_PoI_SuedClick},
        {RadioButton_PoI_Ost, &TForm_Main::RadioButton_PoI_OstClick},
        {RadioButton_PoI_West, &TForm_Main::RadioButton_PoI_WestClick},
    }};
    for (const auto& [radio, click] : radioClicks) {
        connect(radio, &QRadioButton::toggled, this, [this, click](bool on) {
            if (on)
                (this->*click)();
        });
    }
}

QString TForm_Main::PoIListPath() const {
    return Folders().documents + QLatin1String(overlays::kPoIFileName);
}

void TForm_Main::LoadPoIList() {
    const overlays::PoIFileRead read = overlays::ReadPoIFile(PoIListPath());
    if (!read.exists)
        return;  // no list yet: the box keeps the default lines
    if (read.error) {
        // The box keeps its text; saving it would replace a list the user cannot see, so say so.
        m_dialogs.fail(QStringLiteral("File I/O error.\n") + QDir::toNativeSeparators(PoIListPath())
                       + QStringLiteral(": ") + *read.error);
        return;
    }
    RichEdit_PoIs->setPlainText(read.lines.join(QLatin1Char('\n')));
}

// ---- The three point layers ----

void TForm_Main::RebuildCapitalsLayer() {
    overlays::CitiesLayer(Globe->GlobeLayer(), m_layerStore.get());
    Globe->RequestRedraw();
}

void TForm_Main::RebuildMarkerLayer() {
    overlays::MarkerLayer(Globe->GlobeLayer(), m_layerStore.get(), m_state.PoILatitude,
                          m_state.PoILongitude);
    Globe->RequestRedraw();
}

void TForm_Main::RebuildListedPoIsLayer() {
    QStringList picked;
    for (int i = 0; i < CheckListBox_PoIs->count(); ++i) {
        const QListWidgetItem* item = CheckListBox_PoIs->item(i);
        if (item->checkState() == Qt::Checked)
            picked << item->text();
    }
    overlays::PoIsLayer(Globe->GlobeLayer(), m_layerStore.get(), picked, m_dialogs,
                        m_state.language, PoIsRebuildFlag);
    Globe->RequestRedraw();
}

void TForm_Main::showPointLayer(bool shown, void (TForm_Main::*rebuild)(), const char* layerName) {
    if (shown)
        (this->*rebuild)();
    else
        overlays::ClearPointLayer(Globe->GlobeLayer(), QString::fromLatin1(layerName));
    Globe->RequestRedraw();
}

void TForm_Main::CheckBox_CitiesClick() {
    showPointLayer(CheckBox_Cities->isChecked(), &TForm_Main::RebuildCapitalsLayer,
                   overlays::point_layers::kCitiesLayer);
}

void TForm_Main::CheckBox_PoIClick() {
    showPointLayer(CheckBox_PoI->isChecked(), &TForm_Main::RebuildMarkerLayer,
                   overlays::point_layers::kMarkerLayer);
    // The distance labels show only while the marker does.
    UpdateMarkerDistances();
}

// ---- The marker ----

void TForm_Main::markerFieldChanged(QLineEdit* field, double bound, bool latitude) {
    const QString text = field->text();
    const overlays::MarkerFieldCheck check = overlays::CheckMarkerField(text, bound);
    if (check.text != text) {
        field->setText(check.text);  // runs this handler again with the trimmed text
        return;
    }
    if (!check.value) {
        field->clear();  // runs this handler again: an empty field is 0
        return;
    }
    const double v = *check.value;
    if (latitude)
        m_state.PoILatitude = RadioButton_PoI_Sued->isChecked() ? -v : v;
    else
        m_state.PoILongitude = RadioButton_PoI_West->isChecked() ? -v : v;
    // Off and on again: the marker is drawn anew at its new place (and switched on by any edit).
    CheckBox_PoI->setChecked(false);
    CheckBox_PoI->setChecked(true);
    UpdateMarkerDistances();
}

void TForm_Main::Edit_PoI_BreiteChange() {
    markerFieldChanged(Edit_PoI_Breite, 90.0, true);
}

void TForm_Main::Edit_PoI_LaengeChange() {
    markerFieldChanged(Edit_PoI_Laenge, 180.0, false);
}

void TForm_Main::RadioButton_PoI_NordClick() {
    Edit_PoI_BreiteChange();
}

void TForm_Main::RadioButton_PoI_SuedClick() {
    Edit_PoI_BreiteChange();
}

void TForm_Main::RadioButton_PoI_OstClick() {
    Edit_PoI_LaengeChange();
}

void TForm_Main::RadioButton_PoI_WestClick() {
    Edit_PoI_LaengeChange();
}

void TForm_Main::UpdateMarkerDistances() {
    const overlays::MarkerDistances d = overlays::ComputeMarkerDistances(
        m_state.PoILatitude, m_state.PoILongitude, m_elements, m_axis, m_state.DeltaTSeconds);
    const overlays::MarkerDistanceTexts texts = overlays::MarkerDistanceLabels(
        CheckBox_PoI->isChecked(), d, m_axis.axisOnEarth, m_state.language);
    Label_DistA->setText(texts.distA);
    Label_DistB->setText(texts.distB);
}

// ---- The edit and selection panels of the list ----

void TForm_Main::showPoIPanel(QWidget* panel) {
    panel->move(8, 8);
    panel->raise();
    panel->show();
}

void TForm_Main::Markierungen_BearbeitenClick() {
    LoadPoIList();
    showPoIPanel(Panel_PoIs_Edit);
}

void TForm_Main::Button_PoIS_SpeichernClick() {
    PoIsRebuildFlag = true;
    const std::optional<QString> error =
        overlays::WritePoIFile(PoIListPath(), overlays::LinesOfText(RichEdit_PoIs->toPlainText()));
    if (error) {
        // The panel stays open with the user's text, so that nothing typed is lost.
        m_dialogs.fail(QStringLiteral("File I/O error.\n") + QDir::toNativeSeparators(PoIListPath())
                       + QStringLiteral(": ") + *error);
        return;
    }
    Panel_PoIs_Edit->hide();
}

void TForm_Main::Button_PoIS_AbbrechenClick() {
    Panel_PoIs_Edit->hide();
}

void TForm_Main::Markierungen_AuswaehlenClick() {
    if (PoIsRebuildFlag) {
        CheckListBox_PoIs->clear();
        for (const QString& line : overlays::LinesOfText(RichEdit_PoIs->toPlainText())) {
            auto* item = new QListWidgetItem(line, CheckListBox_PoIs);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    }
    showPoIPanel(Panel_PoIs_Select);
    PoIsRebuildFlag = false;
}

void TForm_Main::Button_PoIs_SelectClick() {
    RebuildListedPoIsLayer();
    Panel_PoIs_Select->hide();
}

void TForm_Main::Button_PoIs_Select_CancelClick() {
    Panel_PoIs_Select->hide();
}

}  // namespace zimbalo::app
