#include "app/poi_panels.h"

#include <initializer_list>

#include <QDir>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/caption_sets.h"
#include "app/named_widget.h"
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

/// A panel over the main window's inside, hidden until a menu shows it.
void setUpPopup(QWidget* panel, const char* name) {
    panel->setObjectName(QString::fromLatin1(name));
    panel->setAutoFillBackground(true);
    panel->hide();
}

/// Lays out a panel of the list: its title lines, the list taking the free height, and a row of
/// two buttons under it.
void layOutListPanel(QWidget* panel, std::initializer_list<QWidget*> titles, QWidget* list,
                     QWidget* first, QWidget* second) {
    auto* l = new QVBoxLayout(panel);
    for (QWidget* title : titles)
        l->addWidget(title);
    l->addWidget(list, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(first);
    buttons->addWidget(second);
    l->addLayout(buttons);
    panel->resize(620, 420);
}

/// Shows a panel near the window's top left corner, over everything else.
void showPanel(QWidget* panel) {
    panel->move(8, 8);
    panel->raise();
    panel->show();
}

}  // namespace

PoIEditor::PoIEditor(dialogs::UserDialogs& dialogs, QString listPath, QWidget* parent)
    : QWidget(parent), m_dialogs(dialogs), m_path(std::move(listPath)) {
    setUpPopup(this, "Panel_PoIs_Edit");
    m_text = named(new QPlainTextEdit(this), "RichEdit_PoIs");
    m_text->setFont(listFont());
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setPlainText(overlays::DefaultPoILines().join(QLatin1Char('\n')));
    auto* save = named(new QPushButton(this), "Button_PoIS_Speichern");
    auto* cancel = named(new QPushButton(this), "Button_PoIS_Abbrechen");
    layOutListPanel(this,
                    {named(new QLabel(this), "Label_PoIs_Panel_Title"),
                     named(new QLabel(this), "Label_PoIs_Edit_Title")},
                    m_text, save, cancel);
    connect(save, &QPushButton::clicked, this, [this] { this->save(); });
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
}

void PoIEditor::Load() {
    const overlays::PoIFileRead read = overlays::ReadPoIFile(m_path);
    if (!read.exists)
        return;  // no list yet: the box keeps the default lines
    const QString where = QDir::toNativeSeparators(m_path) + QStringLiteral(": ");
    // The box keeps its text in both cases; saving it would replace a list the user cannot see,
    // so say so.
    if (read.error) {
        m_dialogs.fail(FileIOErrorText(m_language) + QStringLiteral("\n") + where + *read.error);
        return;
    }
    if (read.tooLarge) {
        m_dialogs.fail(where
                       + PoIListTooLargeText(m_language,
                                             static_cast<int>(overlays::kMaxPoIFileBytes / 1024),
                                             overlays::kMaxPoILineLength));
        return;
    }
    m_text->setPlainText(read.lines.join(QLatin1Char('\n')));
}

void PoIEditor::Open() {
    Load();
    showPanel(this);
}

QStringList PoIEditor::Lines() const {
    return overlays::LinesOfText(m_text->toPlainText());
}

void PoIEditor::save() {
    const std::optional<QString> error = overlays::WritePoIFile(m_path, Lines());
    if (error) {
        // The panel stays open with the user's text, so that nothing typed is lost.
        m_dialogs.fail(FileIOErrorText(m_language) + QStringLiteral("\n")
                       + QDir::toNativeSeparators(m_path) + QStringLiteral(": ") + *error);
        return;
    }
    hide();
    emit saved();
}

PoIChooser::PoIChooser(QWidget* parent) : QWidget(parent) {
    setUpPopup(this, "Panel_PoIs_Select");
    m_list = named(new QListWidget(this), "CheckListBox_PoIs");
    m_list->setFont(listFont());
    auto* take = named(new QPushButton(this), "Button_PoIs_Select");
    auto* cancel = named(new QPushButton(this), "Button_PoIs_Select_Cancel");
    layOutListPanel(this, {named(new QLabel(this), "Label_PoIs_Select_Title")}, m_list, take,
                    cancel);
    connect(take, &QPushButton::clicked, this, [this] {
        QStringList lines;
        for (int i = 0; i < m_list->count(); ++i) {
            const QListWidgetItem* item = m_list->item(i);
            if (item->checkState() == Qt::Checked)
                lines << item->text();
        }
        hide();
        emit picked(lines);
    });
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
}

void PoIChooser::Open(const QStringList& lines) {
    if (m_stale) {
        m_list->clear();
        for (const QString& line : lines) {
            auto* item = new QListWidgetItem(line, m_list);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    }
    showPanel(this);
    m_stale = false;
}

}  // namespace zimbalo::app
