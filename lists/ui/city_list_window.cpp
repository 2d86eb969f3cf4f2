#include "lists/ui/city_list_window.h"

#include <algorithm>

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "lists/city_database.h"
#include "lists/cp1252.h"

namespace zimbalo::lists {

namespace {

constexpr ListWindow::Names kNames{"TForm_CityList",
                                   "RichEdit_CityList",
                                   "Button_Start_CityList",
                                   "Button_Stop_CityList",
                                   "Panel0",
                                   "Panel1"};

constexpr int kPanelHeight = 89;
constexpr int kEntryCount = 10;

}  // namespace

TForm_CityList::TForm_CityList(const ListWindowContext& context, QWidget* parent)
    : ListWindow(ListKind::CityList, kNames, context, parent) {
    resize(847, 690);
    content()->setMinimumSize(560, 240);

    QFrame* panel = topPanel();
    panel->setFixedHeight(kPanelHeight);
    m_label1 = new QLabel(QStringLiteral("Nur Orte mit mehr als"), panel);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setGeometry(10, 6, 220, 18);
    m_population = new QComboBox(panel);
    m_population->setObjectName(QStringLiteral("ComboBox_Population"));
    m_population->setGeometry(10, 26, 210, 26);
    for (const std::string& entry : PopulationEntries(language())) {
        m_population->addItem(QString::fromUtf8(Cp1252ToUtf8(entry)));
    }
    m_population->setCurrentIndex(0);
    startButton()->setGeometry(240, 24, 110, 30);
    stopButton()->setGeometry(360, 24, 110, 30);
    setHeaderTop(kPanelHeight - header()->height() - 2);

    connect(startButton(), &QPushButton::clicked, this,
            &TForm_CityList::Button_Start_CityListClick);
    connect(stopButton(), &QPushButton::clicked, this, &TForm_CityList::Button_Stop_CityListClick);
}

void TForm_CityList::setLanguage(Language language) {
    ListWindow::setLanguage(language);
    const int index = m_population->currentIndex();
    m_population->clear();
    for (const std::string& entry : PopulationEntries(language)) {
        m_population->addItem(QString::fromUtf8(Cp1252ToUtf8(entry)));
    }
    m_population->setCurrentIndex(index);
}

CityListSettings TForm_CityList::settings() const {
    CityListSettings s;
    s.geometry = geometryState();
    s.populationIndex = std::max(0, m_population->currentIndex());
    return s;
}

void TForm_CityList::applySettings(const CityListSettings& settings) {
    restoreGeometryState(settings.geometry);
    m_population->setCurrentIndex(std::clamp(settings.populationIndex, 0, kEntryCount - 1));
}

QString TForm_CityList::defaultSaveName() const {
    return QStringLiteral("Zimbalo_CityList.txt");
}

void TForm_CityList::Button_Start_CityListClick() {
    const ListWindowContext& ctx = context();
    if (anyRunGoing()) {
        return;
    }
    CityListInput input;
    if (ctx.currentRecord) {
        input.record = ctx.currentRecord();
    }
    input.language = language();
    input.cityFile = CityFileName(input.language, ctx.dataFolder);
    input.threshold = PopulationThreshold(m_population->currentIndex());
    const std::atomic<bool>* stop = ctx.control != nullptr ? &ctx.control->stopFlag() : nullptr;
    const Language lang = input.language;
    runList(
        [&](const ListOutput& output, const ListCallback& callback) {
            return RunCityList(input, output, callback, stop);
        },
        [lang](const ListStep& step) { return CityListStatus(step.tested, step.found, lang); });
}

void TForm_CityList::Button_Stop_CityListClick() {
    requestStop();
}

}  // namespace zimbalo::lists
