#include "lists/ui/coming_model.h"

#include <array>
#include <cmath>

#include "astro/local_circumstances.h"

namespace zimbalo::lists {

namespace {

using Headers = std::array<const char*, ComingTableModel::kColumnCount>;

constexpr std::array<Headers, 3> kHeaders = {{
    {"Nr.", "Datum", "D (Ortszeit)", "R (Ortszeit)", "Planet", "Art", "Planet bei D", "Sonne bei D",
     "Planet bei R", "Sonne bei R", "Größe", "Urteil"},
    {"No.", "Date", "D (local time)", "R (local time)", "Planet", "Kind", "Planet at D", "Sun at D",
     "Planet at R", "Sun at R", "Magnitude", "Verdict"},
    {"N°", "Date", "D (heure locale)", "R (heure locale)", "Planète", "Type", "Planète à D",
     "Soleil à D", "Planète à R", "Soleil à R", "Magnitude", "Verdict"},
}};

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QString Altitude(double degrees) {
    if (std::isnan(degrees)) {
        return {};
    }
    return QString::number(degrees, 'f', 1) + QStringLiteral("°");
}

// "11:27:55 CEST"; the date too when it differs from `date` (R after midnight).
QString Clock(const LocalTime& time, const LocalTime& date) {
    QString text = Q(ClockText(time)) + ' ' + Q(time.abbreviation);
    if (DateText(time) != DateText(date)) {
        text = Q(DateText(time)) + ' ' + text;
    }
    return text;
}

}  // namespace

ComingTableModel::ComingTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ComingTableModel::setRows(std::vector<ComingRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void ComingTableModel::setLanguage(Language language) {
    m_language = language;
    if (!m_rows.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
    }
    emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
}

int ComingTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ComingTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ComingTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const ComingRow& row = m_rows[static_cast<std::size_t>(index.row())];
    constexpr std::size_t d = astro::kFirstContact;
    constexpr std::size_t r = astro::kFourthContact;
    if (role == Qt::UserRole) {
        switch (index.column()) {
            case kNumber:
                return row.number;
            case kDate:
            case kD:
                return row.jdUT[d];
            case kR:
                return row.jdUT[r];
            case kPlanet:
                return row.planet;
            case kKind:
                return Q(KindText(row.kind, m_language));
            case kPlanetAltD:
                return row.planetAltDeg[d];
            case kSunAltD:
                return row.sunAltDeg[d];
            case kPlanetAltR:
                return row.planetAltDeg[r];
            case kSunAltR:
                return row.sunAltDeg[r];
            case kMagnitude:
                return row.magnitude;
            case kVerdict:
                return static_cast<int>(row.verdict);
            default:
                return {};
        }
    }
    if (role == Qt::TextAlignmentRole) {
        const bool text =
            index.column() == kPlanet || index.column() == kKind || index.column() == kVerdict;
        return QVariant::fromValue(Qt::Alignment(text ? Qt::AlignLeft | Qt::AlignVCenter
                                                      : Qt::AlignRight | Qt::AlignVCenter));
    }
    if (role == Qt::ToolTipRole && (index.column() == kD || index.column() == kR)) {
        const LocalTime& t = index.column() == kD ? row.localD : row.localR;
        return Q(t.zone + ", " + OffsetText(t.offsetSeconds));
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
        case kNumber:
            return row.number;
        case kDate:
            return Q(DateText(row.localD));
        case kD:
            return Clock(row.localD, row.localD);
        case kR:
            return Clock(row.localR, row.localD);
        case kPlanet:
            return Q(PlanetFullName(row.planet, m_language));
        case kKind:
            return Q(KindText(row.kind, m_language));
        case kPlanetAltD:
            return Altitude(row.planetAltDeg[d]);
        case kSunAltD:
            return Altitude(row.sunAltDeg[d]);
        case kPlanetAltR:
            return Altitude(row.planetAltDeg[r]);
        case kSunAltR:
            return Altitude(row.sunAltDeg[r]);
        case kMagnitude:
            return QString::number(row.magnitude, 'f', 3);
        case kVerdict:
            return Q(VerdictText(row.verdict, m_language));
        default:
            return {};
    }
}

QVariant ComingTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= kColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromUtf8(
        kHeaders[LanguageIndex(m_language)][static_cast<std::size_t>(section)]);
}

}  // namespace zimbalo::lists
