#pragma once

#include <vector>

#include <QAbstractTableModel>

#include "astro/language.h"
#include "lists/coming_occultations.h"

namespace zimbalo::lists {

/// The rows of the coming occultations as table columns: texts for the eye (full names, clock
/// times of the place, altitudes in degrees) and, under `Qt::UserRole`, the numbers to sort by.
class ComingTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        kNumber,
        kDate,
        kD,
        kR,
        kPlanet,
        kKind,
        kPlanetAltD,
        kSunAltD,
        kPlanetAltR,
        kSunAltR,
        kMagnitude,
        kVerdict,
        kColumnCount
    };

    explicit ComingTableModel(QObject* parent = nullptr);

    void setRows(std::vector<ComingRow> rows);

    const std::vector<ComingRow>& rows() const { return m_rows; }

    void setLanguage(Language language);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<ComingRow> m_rows;
    Language m_language = Language::German;
};

}  // namespace zimbalo::lists
