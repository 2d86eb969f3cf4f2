#pragma once

#include <optional>
#include <string>

#include <QObject>
#include <QString>

#include "astro/language.h"
#include "lists/home_place.h"

namespace zimbalo::lists {

/// The one home place of the program: read from its file at start, changed by "Set as home"
/// wherever that is offered, written at once, and announced to whoever shows it (the coming
/// occultations, the globe).
class HomeStore : public QObject {
    Q_OBJECT

public:
    /// A store kept in the file `path`; `dataFolder` (with a trailing "/") holds the zone table
    /// that gives a new home its time zone.
    HomeStore(std::string path, std::string dataFolder, QObject* parent = nullptr);

    /// Reads the file. Returns the message for a damaged file (then there is no home and the
    /// file is left as it is), empty otherwise.
    QString load(Language language);

    const std::optional<HomePlace>& home() const { return m_home; }

    /// Makes the place the home, with the time zone of its position, and writes the file.
    /// Returns the message when that fails (the home stays as it was), empty otherwise.
    QString setHome(const std::string& name, double latitudeDeg, double longitudeDeg,
                    int heightMetres, Language language);

    /// The confirmation after `setHome`, e.g. "Basel ist jetzt der Heimatort."
    static QString confirmation(const HomePlace& home, Language language);

signals:
    void homeChanged();

private:
    std::string m_path;
    std::string m_dataFolder;
    std::optional<HomePlace> m_home;
};

/// Caption of the "Set as home" buttons: "Als Heimatort", "Set as home", "Définir comme domicile".
QString SetAsHomeCaption(Language language);

}  // namespace zimbalo::lists
