#include "app/caption_sets.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace zimbalo::app {
namespace {

// The three caption sets. Each lists the same controls in the same order; only the texts differ.
// The radio buttons of the point of interest are single letters of the compass in each
// language: German "O" (Ost) is east, French "O" (ouest) is west.

constexpr std::string_view kGradNetzGerman[] = {
    "kein Gitter",    "nur Äquator",    "10 Grad Gitter", "20 Grad Gitter",
    "30 Grad Gitter", "45 Grad Gitter", "90 Grad Gitter"};

constexpr std::string_view kGradNetzEnglish[] = {
    "No grid",         "Equator",         "10 degrees grid", "20 degrees grid",
    "30 degrees grid", "45 degrees grid", "90 degrees grid"};

constexpr std::string_view kGradNetzFrench[] = {
    "pas de quadrillages", "Uniquement l'équateur", "grille 10 degrés", "grille 20 degrés",
    "grille 30 degrés",    "grille 45 degrés",      "grille 90 degrés"};

constexpr Caption kGermanSet[] = {
    {CaptionWindow::Main, "File1", CaptionProperty::Text, "&Datei", {}},
    {CaptionWindow::Main, "Exit1", CaptionProperty::Text, "&Beenden", {}},
    {CaptionWindow::Main, "Liste1", CaptionProperty::Text, "&Liste erzeugen", {}},
    {CaptionWindow::Main,
     "Sichtbarkeit",
     CaptionProperty::Text,
     "Sichtbarkeit dieser Bedeckung an verschiedenen Orten",
     {}},
    {CaptionWindow::Main,
     "CityHist",
     CaptionProperty::Text,
     "Alle Bedeckungen an einem bestimmten Ort suchen",
     {}},
    {CaptionWindow::Main,
     "ComingAtHome",
     CaptionProperty::Text,
     "Nächste Bedeckungen am Heimatort",
     {}},
    {CaptionWindow::Main, "Button_PoI_Heimatort", CaptionProperty::Text, "Als Heimatort", {}},
    {CaptionWindow::Main, "Markierung1", CaptionProperty::Text, "Markierungen", {}},
    {CaptionWindow::Main, "Markierungen_Bearbeiten", CaptionProperty::Text, "Bearbeiten", {}},
    {CaptionWindow::Main, "Markierungen_Auswaehlen", CaptionProperty::Text, "Auswählen", {}},
    {CaptionWindow::Main, "Option1", CaptionProperty::Text, "&Option", {}},
    {CaptionWindow::Main, "Hilfe1", CaptionProperty::Text, "&Hilfe", {}},
    {CaptionWindow::Main, "Hilfe2", CaptionProperty::Text, "Zimbalo &Hilfe", {}},
    {CaptionWindow::Main, "Version1", CaptionProperty::Text, "Zimbalo &Version", {}},
    {CaptionWindow::Main, "GroupBox_Bedeckung", CaptionProperty::Text, "Bedeckung im Jahr ...", {}},
    {CaptionWindow::Main, "Label_Jahr", CaptionProperty::Text, "Jahr", {}},
    {CaptionWindow::Main, "GroupBox_Planeten", CaptionProperty::Text, "Planetenauswahl", {}},
    {CaptionWindow::Main, "GroupBox_ET_UT", CaptionProperty::Text, "DeltaT (TT oder UT)", {}},
    {CaptionWindow::Main, "GroupBox_Globus", CaptionProperty::Text, "Globus", {}},
    {CaptionWindow::Main, "GroupBox_Markierung", CaptionProperty::Text, "Markierung", {}},
    {CaptionWindow::Main, "CheckBox_Cities", CaptionProperty::Text, "Hauptstädte", {}},
    {CaptionWindow::Main, "CheckBox_SSP", CaptionProperty::Text, "Subplanetarer Punkt", {}},
    {CaptionWindow::Main, "CheckBox_TagNacht", CaptionProperty::Text, "Tag/Nacht", {}},
    {CaptionWindow::Main, "CheckBox_Sichtbarkeit", CaptionProperty::Text, "Sichtbarkeit", {}},
    {CaptionWindow::Main, "ComboBox_GradNetz", CaptionProperty::Items, {}, kGradNetzGerman},
    {CaptionWindow::Main, "RadioButton_PoI_Ost", CaptionProperty::Text, "O", {}},
    {CaptionWindow::Main, "RadioButton_PoI_West", CaptionProperty::Text, "W", {}},
    {CaptionWindow::Main, "Button_Center_Globe", CaptionProperty::Text, "Globus zentrieren", {}},
    {CaptionWindow::Main, "Button_Resize_Globe", CaptionProperty::Text, "Globus zurücksetzen", {}},
    {CaptionWindow::Main, "Button_Exit_Globe", CaptionProperty::Text, "schliessen", {}},
    {CaptionWindow::Main, "Button_Umstaende_Hier", CaptionProperty::Text, "Umstände hier", {}},
    {CaptionWindow::Main, "Button_alle", CaptionProperty::Text, "alle", {}},
    {CaptionWindow::Main,
     "Label_PoIs_Panel_Title",
     CaptionProperty::Text,
     "Zimbalo: Markierungsliste bearbeiten",
     {}},
    {CaptionWindow::Main,
     "Label_PoIs_Edit_Title",
     CaptionProperty::Text,
     "+JJJJ MM TT nn.nn N nnn.nn E Ort/Bezeichnung (Kommentar in Klammern)",
     {}},
    {CaptionWindow::Main, "Button_PoIS_Speichern", CaptionProperty::Text, "Liste Speichern", {}},
    {CaptionWindow::Main, "Button_PoIS_Abbrechen", CaptionProperty::Text, "Abbrechen", {}},
    {CaptionWindow::Main,
     "Label_PoIs_Select_Title",
     CaptionProperty::Text,
     "Zimbalo: Markierungen auswählen",
     {}},
    {CaptionWindow::Main, "Button_PoIs_Select", CaptionProperty::Text, "Markierte übernehmen", {}},
    {CaptionWindow::Main, "Button_PoIs_Select_Cancel", CaptionProperty::Text, "Abbrechen", {}},
    {CaptionWindow::Main,
     "Button_FastReverse",
     CaptionProperty::Hint,
     "schnell rückwärts abspielen",
     {}},
    {CaptionWindow::Main, "Button_Reverse", CaptionProperty::Hint, "rückwärts abspielen", {}},
    {CaptionWindow::Main, "Button_Stop", CaptionProperty::Hint, "Stop", {}},
    {CaptionWindow::Main, "Button_Play", CaptionProperty::Hint, "vorwärts abspielen", {}},
    {CaptionWindow::Main,
     "Button_FastPlay",
     CaptionProperty::Hint,
     "schnell vorwärts abspielen",
     {}},
    {CaptionWindow::Main,
     "Time_ScrollBar",
     CaptionProperty::Hint,
     "Zeitregler (-3.5 Std bis +3.5 Std)",
     {}},
    {CaptionWindow::Main, "", CaptionProperty::TitleSuffix, " - Der Planetenbedeckungs-Vardel", {}},
    {CaptionWindow::CityHist, "Label1", CaptionProperty::Text, "Ort/Stadt/Bezeichnung", {}},
    {CaptionWindow::CityHist, "Label2", CaptionProperty::Text, "Geogr. Breite (Grad)", {}},
    {CaptionWindow::CityHist, "Label3", CaptionProperty::Text, "Geogr. Länge (Grad)", {}},
    {CaptionWindow::CityHist, "Label4", CaptionProperty::Text, "Höhe (m)", {}},
    {CaptionWindow::CityHist, "Label6", CaptionProperty::Text, "Suche zwischen den Jahren", {}},
    {CaptionWindow::CityHist, "Label7", CaptionProperty::Text, "und", {}},
    {CaptionWindow::CityHist, "Label8", CaptionProperty::Text, "Land/Landschaft  (fakultativ)", {}},
    {CaptionWindow::CityHist, "Label9", CaptionProperty::Text, "Stadt (auswählen)", {}},
    {CaptionWindow::CityHist, "Label10", CaptionProperty::Text, "Land (auswählen)", {}},
    {CaptionWindow::CityHist, "Label11", CaptionProperty::Text, "Einwohner", {}},
    {CaptionWindow::CityHist, "Liste1", CaptionProperty::Text, "Liste", {}},
    {CaptionWindow::CityHist, "Speichern1", CaptionProperty::Text, "Speichern unter", {}},
    {CaptionWindow::CityHist, "Beenden1", CaptionProperty::Text, "Beenden", {}},
    {CaptionWindow::CityHist, "Button_Start_CityHist", CaptionProperty::Text, "Starten", {}},
    {CaptionWindow::CityHist, "Button_Stop_CityHist", CaptionProperty::Text, "Beenden", {}},
    {CaptionWindow::CityHist, "Button_Uebernehmen", CaptionProperty::Text, "Übernehmen  ->", {}},
    {CaptionWindow::CityHist, "RadioButton_Nord", CaptionProperty::Text, "Nord", {}},
    {CaptionWindow::CityHist, "RadioButton_Sued", CaptionProperty::Text, "Süd", {}},
    {CaptionWindow::CityHist, "RadioButton_Ost", CaptionProperty::Text, "Ost", {}},
    {CaptionWindow::CityHist, "RadioButton_West", CaptionProperty::Text, "West", {}},
    {CaptionWindow::CityList, "Liste1", CaptionProperty::Text, "Liste", {}},
    {CaptionWindow::CityList, "Speichern1", CaptionProperty::Text, "Speichern unter", {}},
    {CaptionWindow::CityList, "Beenden1", CaptionProperty::Text, "Beenden", {}},
    {CaptionWindow::CityList, "Button_Start_CityList", CaptionProperty::Text, "Starten", {}},
    {CaptionWindow::CityList, "Button_Stop_CityList", CaptionProperty::Text, "Beenden", {}},
    {CaptionWindow::CityList, "Label1", CaptionProperty::Text, "Nur Orte mit mehr als", {}},
};

constexpr Caption kEnglishSet[] = {
    {CaptionWindow::Main, "File1", CaptionProperty::Text, "&File", {}},
    {CaptionWindow::Main, "Exit1", CaptionProperty::Text, "E&xit", {}},
    {CaptionWindow::Main, "Liste1", CaptionProperty::Text, "&Create List", {}},
    {CaptionWindow::Main,
     "Sichtbarkeit",
     CaptionProperty::Text,
     "Local circumstances for cities/countries",
     {}},
    {CaptionWindow::Main,
     "CityHist",
     CaptionProperty::Text,
     "Search for all occultations at a given place",
     {}},
    {CaptionWindow::Main, "ComingAtHome", CaptionProperty::Text, "Coming occultations at home", {}},
    {CaptionWindow::Main, "Button_PoI_Heimatort", CaptionProperty::Text, "Set as home", {}},
    {CaptionWindow::Main, "Markierung1", CaptionProperty::Text, "Points of Interest", {}},
    {CaptionWindow::Main, "Markierungen_Bearbeiten", CaptionProperty::Text, "Edit list", {}},
    {CaptionWindow::Main, "Markierungen_Auswaehlen", CaptionProperty::Text, "Select Points", {}},
    {CaptionWindow::Main, "Option1", CaptionProperty::Text, "&Option", {}},
    {CaptionWindow::Main, "Hilfe1", CaptionProperty::Text, "&Help", {}},
    {CaptionWindow::Main, "Hilfe2", CaptionProperty::Text, "Zimbalo &Help", {}},
    {CaptionWindow::Main, "Version1", CaptionProperty::Text, "Zimbalo &Version information", {}},
    {CaptionWindow::Main,
     "GroupBox_Bedeckung",
     CaptionProperty::Text,
     "Occultation in the year ...",
     {}},
    {CaptionWindow::Main, "Label_Jahr", CaptionProperty::Text, "Year", {}},
    {CaptionWindow::Main, "GroupBox_Planeten", CaptionProperty::Text, "Planet(s) selection", {}},
    {CaptionWindow::Main, "GroupBox_ET_UT", CaptionProperty::Text, "DeltaT (TT or UT)", {}},
    {CaptionWindow::Main, "GroupBox_Globus", CaptionProperty::Text, "Globe", {}},
    {CaptionWindow::Main, "GroupBox_Markierung", CaptionProperty::Text, "Point of Interest", {}},
    {CaptionWindow::Main, "CheckBox_Cities", CaptionProperty::Text, "Capitals", {}},
    {CaptionWindow::Main, "CheckBox_SSP", CaptionProperty::Text, "sub-planetary point", {}},
    {CaptionWindow::Main, "CheckBox_TagNacht", CaptionProperty::Text, "Day/night", {}},
    {CaptionWindow::Main, "CheckBox_Sichtbarkeit", CaptionProperty::Text, "Visibility", {}},
    {CaptionWindow::Main, "ComboBox_GradNetz", CaptionProperty::Items, {}, kGradNetzEnglish},
    {CaptionWindow::Main, "RadioButton_PoI_Ost", CaptionProperty::Text, "E", {}},
    {CaptionWindow::Main, "RadioButton_PoI_West", CaptionProperty::Text, "W", {}},
    {CaptionWindow::Main, "Button_Center_Globe", CaptionProperty::Text, "Center Globe", {}},
    {CaptionWindow::Main, "Button_Resize_Globe", CaptionProperty::Text, "Reset Globe", {}},
    {CaptionWindow::Main, "Button_Exit_Globe", CaptionProperty::Text, "close", {}},
    {CaptionWindow::Main, "Button_Umstaende_Hier", CaptionProperty::Text, "Circumstances here", {}},
    {CaptionWindow::Main, "Button_alle", CaptionProperty::Text, "all", {}},
    {CaptionWindow::Main,
     "Label_PoIs_Panel_Title",
     CaptionProperty::Text,
     "Zimbalo: Edit Points of Interest",
     {}},
    {CaptionWindow::Main,
     "Label_PoIs_Edit_Title",
     CaptionProperty::Text,
     "+YYYY MM DD nn.nn N nnn.nn E Place or Designation (Comments in brackets)",
     {}},
    {CaptionWindow::Main, "Button_PoIS_Speichern", CaptionProperty::Text, "Save List", {}},
    {CaptionWindow::Main, "Button_PoIS_Abbrechen", CaptionProperty::Text, "Cancel", {}},
    {CaptionWindow::Main,
     "Label_PoIs_Select_Title",
     CaptionProperty::Text,
     "Zimbalo: Select Point(s) of Interest",
     {}},
    {CaptionWindow::Main, "Button_PoIs_Select", CaptionProperty::Text, "Select checked items", {}},
    {CaptionWindow::Main, "Button_PoIs_Select_Cancel", CaptionProperty::Text, "Cancel", {}},
    {CaptionWindow::Main, "Button_FastReverse", CaptionProperty::Hint, "fast reverse play", {}},
    {CaptionWindow::Main, "Button_Reverse", CaptionProperty::Hint, "reverse play", {}},
    {CaptionWindow::Main, "Button_Stop", CaptionProperty::Hint, "stop", {}},
    {CaptionWindow::Main, "Button_Play", CaptionProperty::Hint, "forward play", {}},
    {CaptionWindow::Main, "Button_FastPlay", CaptionProperty::Hint, "fast forward play", {}},
    {CaptionWindow::Main,
     "Time_ScrollBar",
     CaptionProperty::Hint,
     "Time slider (-3.5 hrs to +3.5 hrs)",
     {}},
    {CaptionWindow::Main,
     "",
     CaptionProperty::TitleSuffix,
     " - The planetary occultations Vardel",
     {}},
    {CaptionWindow::CityHist, "Label1", CaptionProperty::Text, "Place/City", {}},
    {CaptionWindow::CityHist, "Label2", CaptionProperty::Text, "Latitude (degrees)", {}},
    {CaptionWindow::CityHist, "Label3", CaptionProperty::Text, "Longitude (degrees)", {}},
    {CaptionWindow::CityHist, "Label4", CaptionProperty::Text, "Height (m)", {}},
    {CaptionWindow::CityHist, "Label6", CaptionProperty::Text, "Search between the years", {}},
    {CaptionWindow::CityHist, "Label7", CaptionProperty::Text, "and", {}},
    {CaptionWindow::CityHist, "Label8", CaptionProperty::Text, "Country/Region  (optional)", {}},
    {CaptionWindow::CityHist, "Label9", CaptionProperty::Text, "City (select)", {}},
    {CaptionWindow::CityHist, "Label10", CaptionProperty::Text, "Country (select)", {}},
    {CaptionWindow::CityHist, "Label11", CaptionProperty::Text, "Habitants", {}},
    {CaptionWindow::CityHist, "Liste1", CaptionProperty::Text, "List", {}},
    {CaptionWindow::CityHist, "Speichern1", CaptionProperty::Text, "Save as", {}},
    {CaptionWindow::CityHist, "Beenden1", CaptionProperty::Text, "Exit", {}},
    {CaptionWindow::CityHist, "Button_Start_CityHist", CaptionProperty::Text, "Start", {}},
    {CaptionWindow::CityHist, "Button_Stop_CityHist", CaptionProperty::Text, "Exit", {}},
    {CaptionWindow::CityHist, "Button_Uebernehmen", CaptionProperty::Text, "Accept  ->", {}},
    {CaptionWindow::CityHist, "RadioButton_Nord", CaptionProperty::Text, "North", {}},
    {CaptionWindow::CityHist, "RadioButton_Sued", CaptionProperty::Text, "South", {}},
    {CaptionWindow::CityHist, "RadioButton_Ost", CaptionProperty::Text, "East", {}},
    {CaptionWindow::CityHist, "RadioButton_West", CaptionProperty::Text, "West", {}},
    {CaptionWindow::CityList, "Liste1", CaptionProperty::Text, "List", {}},
    {CaptionWindow::CityList, "Speichern1", CaptionProperty::Text, "Save as", {}},
    {CaptionWindow::CityList, "Beenden1", CaptionProperty::Text, "Exit", {}},
    {CaptionWindow::CityList, "Button_Start_CityList", CaptionProperty::Text, "Start", {}},
    {CaptionWindow::CityList, "Button_Stop_CityList", CaptionProperty::Text, "Exit", {}},
    {CaptionWindow::CityList, "Label1", CaptionProperty::Text, "List places with more than", {}},
};

constexpr Caption kFrenchSet[] = {
    {CaptionWindow::Main, "File1", CaptionProperty::Text, "&Fichier", {}},
    {CaptionWindow::Main, "Exit1", CaptionProperty::Text, "&Fermer", {}},
    {CaptionWindow::Main, "Liste1", CaptionProperty::Text, "&Créer liste", {}},
    {CaptionWindow::Main,
     "Sichtbarkeit",
     CaptionProperty::Text,
     "Visibilité de l'occultation en différants lieux",
     {}},
    {CaptionWindow::Main,
     "CityHist",
     CaptionProperty::Text,
     "Trouver toutes les occultations en un lieu donné",
     {}},
    {CaptionWindow::Main,
     "ComingAtHome",
     CaptionProperty::Text,
     "Prochaines occultations au domicile",
     {}},
    {CaptionWindow::Main,
     "Button_PoI_Heimatort",
     CaptionProperty::Text,
     "Définir comme domicile",
     {}},
    {CaptionWindow::Main, "Markierung1", CaptionProperty::Text, "Marquer", {}},
    {CaptionWindow::Main, "Markierungen_Bearbeiten", CaptionProperty::Text, "Editer", {}},
    {CaptionWindow::Main, "Markierungen_Auswaehlen", CaptionProperty::Text, "Choisir", {}},
    {CaptionWindow::Main, "Option1", CaptionProperty::Text, "&Option", {}},
    {CaptionWindow::Main, "Hilfe1", CaptionProperty::Text, "&Aide", {}},
    {CaptionWindow::Main, "Hilfe2", CaptionProperty::Text, "&Aide Zimbalo ", {}},
    {CaptionWindow::Main, "Version1", CaptionProperty::Text, "&Version Zimbalo ", {}},
    {CaptionWindow::Main,
     "GroupBox_Bedeckung",
     CaptionProperty::Text,
     "Occultation en l'an...",
     {}},
    {CaptionWindow::Main, "Label_Jahr", CaptionProperty::Text, "année", {}},
    {CaptionWindow::Main, "GroupBox_Planeten", CaptionProperty::Text, "Sélection des planètes", {}},
    {CaptionWindow::Main, "GroupBox_ET_UT", CaptionProperty::Text, "DeltaT (TT ou UT)", {}},
    {CaptionWindow::Main, "GroupBox_Globus", CaptionProperty::Text, "Globe", {}},
    {CaptionWindow::Main, "GroupBox_Markierung", CaptionProperty::Text, "Marquer", {}},
    {CaptionWindow::Main, "CheckBox_Cities", CaptionProperty::Text, "Capitales", {}},
    {CaptionWindow::Main, "CheckBox_SSP", CaptionProperty::Text, "Point sub-planétaire", {}},
    {CaptionWindow::Main, "CheckBox_TagNacht", CaptionProperty::Text, "Jour/nuit", {}},
    {CaptionWindow::Main, "CheckBox_Sichtbarkeit", CaptionProperty::Text, "Visibilité", {}},
    {CaptionWindow::Main, "ComboBox_GradNetz", CaptionProperty::Items, {}, kGradNetzFrench},
    {CaptionWindow::Main, "RadioButton_PoI_Ost", CaptionProperty::Text, "E", {}},
    {CaptionWindow::Main, "RadioButton_PoI_West", CaptionProperty::Text, "O", {}},
    {CaptionWindow::Main, "Button_Center_Globe", CaptionProperty::Text, "centrer le globe", {}},
    {CaptionWindow::Main, "Button_Resize_Globe", CaptionProperty::Text, "rétablir le globe", {}},
    {CaptionWindow::Main, "Button_Exit_Globe", CaptionProperty::Text, "fermer", {}},
    {CaptionWindow::Main, "Button_Umstaende_Hier", CaptionProperty::Text, "Circonstances ici", {}},
    {CaptionWindow::Main, "Button_alle", CaptionProperty::Text, "toutes", {}},
    {CaptionWindow::Main,
     "Label_PoIs_Panel_Title",
     CaptionProperty::Text,
     "Zimbalo: Editer la liste des marqueurs",
     {}},
    {CaptionWindow::Main,
     "Label_PoIs_Edit_Title",
     CaptionProperty::Text,
     "+AAAA MM JJ nn.nn N nnn.nn E lieu/remarque (Kommentar in Klammern)",
     {}},
    {CaptionWindow::Main,
     "Button_PoIS_Speichern",
     CaptionProperty::Text,
     "Sauvegarder la liste",
     {}},
    {CaptionWindow::Main, "Button_PoIS_Abbrechen", CaptionProperty::Text, "Interrompre", {}},
    {CaptionWindow::Main,
     "Label_PoIs_Select_Title",
     CaptionProperty::Text,
     "Zimbalo: Choix des marqueurs",
     {}},
    {CaptionWindow::Main, "Button_PoIs_Select", CaptionProperty::Text, "Accepter les choix", {}},
    {CaptionWindow::Main, "Button_PoIs_Select_Cancel", CaptionProperty::Text, "Interrompre", {}},
    {CaptionWindow::Main, "Button_FastReverse", CaptionProperty::Hint, "retour rapide", {}},
    {CaptionWindow::Main, "Button_Reverse", CaptionProperty::Hint, "retour", {}},
    {CaptionWindow::Main, "Button_Stop", CaptionProperty::Hint, "stop", {}},
    {CaptionWindow::Main, "Button_Play", CaptionProperty::Hint, "lecture", {}},
    {CaptionWindow::Main, "Button_FastPlay", CaptionProperty::Hint, "avance rapide", {}},
    {CaptionWindow::Main,
     "Time_ScrollBar",
     CaptionProperty::Hint,
     "Règlage du temps (-3.5 hrs à +3.5 hrs)",
     {}},
    {CaptionWindow::Main,
     "",
     CaptionProperty::TitleSuffix,
     " - le Vardel des occultations planétaires           ",
     {}},
    {CaptionWindow::CityHist, "Label1", CaptionProperty::Text, "Lieu/Ville/remarques", {}},
    {CaptionWindow::CityHist, "Label2", CaptionProperty::Text, "Latitude geogr.(°)", {}},
    {CaptionWindow::CityHist, "Label3", CaptionProperty::Text, "Longitude geogr.(°)", {}},
    {CaptionWindow::CityHist, "Label4", CaptionProperty::Text, "Altitude(m)", {}},
    {CaptionWindow::CityHist, "Label6", CaptionProperty::Text, "Rechercher dans le temps", {}},
    {CaptionWindow::CityHist, "Label7", CaptionProperty::Text, "à", {}},
    {CaptionWindow::CityHist, "Label8", CaptionProperty::Text, "Pays/Paysage (optionnel)", {}},
    {CaptionWindow::CityHist, "Label9", CaptionProperty::Text, "ville (choix)", {}},
    {CaptionWindow::CityHist, "Label10", CaptionProperty::Text, "Pays (choix)", {}},
    {CaptionWindow::CityHist, "Label11", CaptionProperty::Text, "habitants", {}},
    {CaptionWindow::CityHist, "Liste1", CaptionProperty::Text, "Liste", {}},
    {CaptionWindow::CityHist, "Speichern1", CaptionProperty::Text, "Sauvegarder sous", {}},
    {CaptionWindow::CityHist, "Beenden1", CaptionProperty::Text, "Terminer", {}},
    {CaptionWindow::CityHist, "Button_Start_CityHist", CaptionProperty::Text, "Démarrer", {}},
    {CaptionWindow::CityHist, "Button_Stop_CityHist", CaptionProperty::Text, "Terminer", {}},
    {CaptionWindow::CityHist, "Button_Uebernehmen", CaptionProperty::Text, "Accepter  ->", {}},
    {CaptionWindow::CityHist, "RadioButton_Nord", CaptionProperty::Text, "Nord", {}},
    {CaptionWindow::CityHist, "RadioButton_Sued", CaptionProperty::Text, "Sud", {}},
    {CaptionWindow::CityHist, "RadioButton_Ost", CaptionProperty::Text, "Est", {}},
    {CaptionWindow::CityHist, "RadioButton_West", CaptionProperty::Text, "Ouest", {}},
    {CaptionWindow::CityList, "Liste1", CaptionProperty::Text, "Liste", {}},
    {CaptionWindow::CityList, "Speichern1", CaptionProperty::Text, "Sauvegarder sous", {}},
    {CaptionWindow::CityList, "Beenden1", CaptionProperty::Text, "Terminer", {}},
    {CaptionWindow::CityList, "Button_Start_CityList", CaptionProperty::Text, "Démarrer", {}},
    {CaptionWindow::CityList, "Button_Stop_CityList", CaptionProperty::Text, "Terminer", {}},
    {CaptionWindow::CityList, "Label1", CaptionProperty::Text, "Lieux avec plus de", {}},
};

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool IsSeparateWindow(const QObject* object) {
    const auto* widget = qobject_cast<const QWidget*>(object);
    if (widget == nullptr) {
        return false;
    }
    // Menus are popups and belong to their window; real windows and dialogs do not.
    const Qt::WindowType type = widget->windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Tool;
}

void CollectNamed(QObject* object, const QString& name, std::vector<QObject*>& found) {
    for (QObject* child : object->children()) {
        if (IsSeparateWindow(child)) {
            continue;
        }
        if (child->objectName() == name) {
            found.push_back(child);
        }
        CollectNamed(child, name, found);
    }
}

bool SetText(QObject* object, const QString& text) {
    if (auto* menu = qobject_cast<QMenu*>(object)) {
        menu->setTitle(text);
    } else if (auto* action = qobject_cast<QAction*>(object)) {
        action->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(object)) {
        label->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
        group->setTitle(text);
    } else {
        return false;
    }
    return true;
}

bool SetHint(QObject* object, const QString& hint) {
    if (auto* action = qobject_cast<QAction*>(object)) {
        action->setToolTip(hint);
    } else if (auto* widget = qobject_cast<QWidget*>(object)) {
        widget->setToolTip(hint);
    } else {
        return false;
    }
    return true;
}

bool SetItems(QObject* object, std::span<const std::string_view> items) {
    auto* combo = qobject_cast<QComboBox*>(object);
    if (combo == nullptr) {
        return false;
    }
    const auto count = static_cast<int>(items.size());
    if (combo->count() == count) {
        // Same number of entries: rename them in place; the selection and its index stay.
        for (int i = 0; i < count; ++i) {
            combo->setItemText(i, ToQString(items[static_cast<std::size_t>(i)]));
        }
        return true;
    }
    // A different number of entries: refill and restore the index without telling the
    // listeners, which would otherwise react to a choice the user never made.
    const QSignalBlocker blocker(combo);
    const int previous = combo->currentIndex();
    QStringList texts;
    for (const std::string_view item : items) {
        texts.append(ToQString(item));
    }
    combo->clear();
    combo->addItems(texts);
    combo->setCurrentIndex(previous < count ? previous : count - 1);
    return true;
}

}  // namespace

std::span<const Caption> CaptionSet(Language language) {
    switch (language) {
        case Language::English:
            return kEnglishSet;
        case Language::French:
            return kFrenchSet;
        case Language::German:
            break;
    }
    return kGermanSet;
}

std::vector<Caption> CaptionsOf(std::span<const Caption> set, CaptionWindow window,
                                CaptionProperty property) {
    std::vector<Caption> result;
    for (const Caption& caption : set) {
        if (caption.window == window && caption.property == property) {
            result.push_back(caption);
        }
    }
    return result;
}

std::string_view TitleSuffix(Language language) {
    for (const Caption& caption : CaptionSet(language)) {
        if (caption.property == CaptionProperty::TitleSuffix) {
            return caption.text;
        }
    }
    return {};
}

std::string MainWindowTitle(std::string_view fileVersion, Language language) {
    std::string title = "Zimbalo ";
    title += fileVersion;
    title += TitleSuffix(language);
    return title;
}

std::vector<QObject*> FindCaptionTargets(QObject& root, std::string_view name) {
    std::vector<QObject*> found;
    const QString qname = ToQString(name);
    if (root.objectName() == qname) {
        found.push_back(&root);
    }
    CollectNamed(&root, qname, found);
    return found;
}

std::vector<std::string> ApplyListWindowCaptions(QObject& window, Language language) {
    const CaptionWindow which = window.objectName() == QLatin1String("TForm_CityHist")
                                    ? CaptionWindow::CityHist
                                    : CaptionWindow::CityList;
    return ApplyCaptions(window, CaptionsOf(CaptionSet(language), which, CaptionProperty::Text));
}

std::vector<std::string> ApplyCaptions(QObject& root, std::span<const Caption> captions) {
    std::vector<std::string> problems;
    for (const Caption& caption : captions) {
        if (caption.property == CaptionProperty::TitleSuffix) {
            continue;
        }
        bool applied = false;
        for (QObject* target : FindCaptionTargets(root, caption.objectName)) {
            switch (caption.property) {
                case CaptionProperty::Text:
                    applied = SetText(target, ToQString(caption.text)) || applied;
                    break;
                case CaptionProperty::Hint:
                    applied = SetHint(target, ToQString(caption.text)) || applied;
                    break;
                case CaptionProperty::Items:
                    applied = SetItems(target, caption.items) || applied;
                    break;
                case CaptionProperty::TitleSuffix:
                    break;
            }
        }
        if (!applied) {
            problems.push_back("no control for the caption of " + std::string(caption.objectName));
        }
    }
    return problems;
}

QString FileIOErrorText(Language language) {
    switch (language) {
        case Language::English:
            return QStringLiteral("File I/O error.");
        case Language::French:
            return QStringLiteral("Erreur d'entr\u00E9e/sortie de fichier.");
        case Language::German:
            break;
    }
    return QStringLiteral("Datei-Ein-/Ausgabefehler.");
}

QString PoIListTooLargeText(Language language, int maxKiB, int maxLineLength) {
    const QString kib = QString::number(maxKiB);
    const QString line = QString::number(maxLineLength);
    switch (language) {
        case Language::English:
            return QStringLiteral(
                       "The list of points is larger than %1 KiB or has a line longer "
                       "than %2 characters. It was not read; the file is left as it is.")
                .arg(kib, line);
        case Language::French:
            return QStringLiteral(
                       "La liste des points d\u00E9passe %1 Kio ou contient une ligne de "
                       "plus de %2 caract\u00E8res. Elle n'a pas \u00E9t\u00E9 lue ; "
                       "le fichier reste tel quel.")
                .arg(kib, line);
        case Language::German:
            break;
    }
    return QStringLiteral(
               "Die Markierungsliste ist gr\u00F6\u00DFer als %1 KiB oder hat eine "
               "Zeile mit mehr als %2 Zeichen. Sie wurde nicht gelesen; die Datei "
               "bleibt, wie sie ist.")
        .arg(kib, line);
}

QString SettingsNotSavedText(Language language) {
    switch (language) {
        case Language::English:
            return QStringLiteral("The settings could not be saved; the previous file is kept.");
        case Language::French:
            return QStringLiteral(
                "Les r\u00E9glages n'ont pas pu \u00EAtre enregistr\u00E9s ; "
                "le fichier pr\u00E9c\u00E9dent est conserv\u00E9.");
        case Language::German:
            break;
    }
    return QStringLiteral(
        "Die Einstellungen konnten nicht gespeichert werden; die bisherige "
        "Datei bleibt erhalten.");
}

}  // namespace zimbalo::app
