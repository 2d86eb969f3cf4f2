#include "lists/ui/city_list_window.h"

#include <algorithm>

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QThread>

#include "lists/city_database.h"

namespace zimbalo::lists {

namespace {

constexpr ListWindow::Names kNames{"TForm_CityList",
                                   "RichEdit_CityList",
                                   "Button_Start_CityList",
                                   "Button_Stop_CityList",
                                   "Panel0",
                                   "Panel1"};

constexpr int kEntryCount = 10;

}  // namespace

TForm_CityList::TForm_CityList(const ListWindowContext& context, QWidget* parent)
    : ListWindow(ListKind::CityList, kNames, context, parent) {
    resize(847, 690);

    QFrame* panel = topPanel();
    m_label1 = new QLabel(panel);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_population = new QComboBox(panel);
    m_population->setObjectName(QStringLiteral("ComboBox_Population"));
    // The threshold over the choice, the two buttons beside the choice.
    auto* layout = new QGridLayout(panel);
    layout->addWidget(m_label1, 0, 0);
    layout->addWidget(m_population, 1, 0);
    layout->addWidget(startButton(), 1, 1);
    layout->addWidget(stopButton(), 1, 2);
    layout->setColumnStretch(3, 1);
    layout->setRowStretch(2, 1);

    connect(startButton(), &QPushButton::clicked, this,
            &TForm_CityList::Button_Start_CityListClick);
    connect(stopButton(), &QPushButton::clicked, this, &TForm_CityList::Button_Stop_CityListClick);
    applyLanguage(context.language);
    m_population->setCurrentIndex(0);
}

void TForm_CityList::applyOwnTexts(Language language) {
    // The same entries in another language: renamed in place, the selection stays.
    const std::vector<std::string> entries = PopulationEntries(language);
    for (int i = 0; i < kEntryCount; ++i) {
        const QString text = fromCp1252(entries[static_cast<std::size_t>(i)]);
        if (i < m_population->count()) {
            m_population->setItemText(i, text);
        } else {
            m_population->addItem(text);
        }
    }
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
    // Both cores (or however many there are) share the places of a run.
    input.workers = std::max(1, QThread::idealThreadCount());
    const Language lang = input.language;
    runList(
        [input](const ListOutput& output, const ListCallback& callback,
                const std::atomic<bool>* stop) {
            return RunCityList(input, output, callback, stop);
        },
        [lang](const ListStep& step) { return CityListStatus(step.tested, step.found, lang); });
}

void TForm_CityList::Button_Stop_CityListClick() {
    requestStop();
}

}  // namespace zimbalo::lists
