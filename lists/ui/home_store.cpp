#include "lists/ui/home_store.h"

#include <array>

#include "lists/time_zones.h"

namespace zimbalo::lists {

namespace {

struct HomeTexts {
    const char* caption;
    const char* damaged;   // %1 file, %2 reason
    const char* notSaved;  // %1 reason
    const char* done;      // %1 name
};

constexpr std::array<HomeTexts, 3> kTexts = {{
    {"Als Heimatort",
     "Die Datei des Heimatorts „%1“ ist beschädigt (%2). Es ist kein Heimatort gesetzt.",
     "Der Heimatort wurde nicht gesetzt: %1", "%1 ist jetzt der Heimatort."},
    {"Set as home", "The home place file \"%1\" is damaged (%2). No home place is set.",
     "The home place was not set: %1", "%1 is now the home place."},
    {"Définir comme domicile",
     "Le fichier du domicile « %1 » est endommagé (%2). Aucun domicile n'est défini.",
     "Le domicile n'a pas été défini : %1", "%1 est maintenant le domicile."},
}};

const HomeTexts& TextsOf(Language language) {
    return kTexts[LanguageIndex(language)];
}

}  // namespace

HomeStore::HomeStore(std::string path, std::string dataFolder, QObject* parent)
    : QObject(parent), m_path(std::move(path)), m_dataFolder(std::move(dataFolder)) {}

QString HomeStore::load(Language language) {
    const HomeFileResult read = ReadHomeFile(m_path);
    m_home = read.home;
    emit homeChanged();
    if (read.problem.empty()) {
        return {};
    }
    return QString::fromUtf8(TextsOf(language).damaged)
        .arg(QString::fromStdString(m_path), QString::fromStdString(read.problem));
}

QString HomeStore::setHome(const std::string& name, double latitudeDeg, double longitudeDeg,
                           int heightMetres, Language language) {
    try {
        HomePlace home;
        home.name = name;
        home.latitudeDeg = latitudeDeg;
        home.longitudeDeg = longitudeDeg;
        home.heightMetres = heightMetres;
        home.zone = DeliveredZoneTable(m_dataFolder).ZoneAt(latitudeDeg, longitudeDeg);
        WriteHomeFile(m_path, home);
        // What a later start reads back (the name in its stored form).
        m_home = ParseHomeFile(HomeFileText(home)).home;
    } catch (const std::exception& e) {
        return QString::fromUtf8(TextsOf(language).notSaved).arg(QString::fromUtf8(e.what()));
    }
    emit homeChanged();
    return {};
}

QString HomeStore::confirmation(const HomePlace& home, Language language) {
    return QString::fromUtf8(TextsOf(language).done).arg(QString::fromStdString(home.name));
}

QString SetAsHomeCaption(Language language) {
    return QString::fromUtf8(TextsOf(language).caption);
}

}  // namespace zimbalo::lists
