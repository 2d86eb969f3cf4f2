// The user manual against the program: every caption the program shows (menus, group boxes,
// buttons, hints, list items of the main window and of both list windows, from the caption sets)
// appears in the manual of its language, the three manuals have the same sections, and every
// picture a manual shows exists beside it. A control that gets a caption without its manual
// section fails here.

#include <string>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include "app/caption_sets.h"

namespace zimbalo::app {
namespace {

struct ManualLanguage {
    Language language;
    const char* code;
};

constexpr ManualLanguage kLanguages[] = {
    {Language::German, "de"}, {Language::English, "en"}, {Language::French, "fr"}};

/// The manual as the build delivers it beside the programs.
QString ManualPath(const char* code) {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/manual/zimbalo.")
           + QLatin1String(code) + QStringLiteral(".html");
}

QString ReadManual(const char* code) {
    QFile file(ManualPath(code));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << file.fileName().toStdString();
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

/// Runs of blanks, tabs, line ends and no-break spaces become one blank.
QString Collapse(QString text) {
    text.replace(QChar(0x00A0), QLatin1Char(' '));
    return text.simplified();
}

/// The text a reader sees: tags dropped, character references decoded, blanks collapsed.
QString VisibleText(const QString& html) {
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    static const QRegularExpression reference(QStringLiteral("&(#x[0-9A-Fa-f]+|#[0-9]+|[a-z]+);"));
    QString text = html;
    text.replace(tag, QStringLiteral(" "));
    QString out;
    qsizetype at = 0;
    for (auto it = reference.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += text.mid(at, m.capturedStart() - at);
        const QString name = m.captured(1);
        bool ok = false;
        char32_t code = 0;
        if (name.startsWith(QStringLiteral("#x"))) {
            code = name.mid(2).toUInt(&ok, 16);
        } else if (name.startsWith(QLatin1Char('#'))) {
            code = name.mid(1).toUInt(&ok, 10);
        } else {
            static const QHash<QString, char32_t> named = {
                {QStringLiteral("amp"), U'&'},   {QStringLiteral("lt"), U'<'},
                {QStringLiteral("gt"), U'>'},    {QStringLiteral("quot"), U'"'},
                {QStringLiteral("apos"), U'\''}, {QStringLiteral("nbsp"), U' '}};
            ok = named.contains(name);
            code = named.value(name);
        }
        out += ok ? QString::fromUcs4(&code, 1) : m.captured(0);
        at = m.capturedEnd();
    }
    out += text.mid(at);
    return Collapse(out);
}

/// A caption as the user reads it: without its "&" accelerator ("&&" is a literal "&").
QString ShownCaption(std::string_view text) {
    QString caption = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    caption.replace(QStringLiteral("&&"), QChar(0xE000));
    caption.remove(QLatin1Char('&'));
    caption.replace(QChar(0xE000), QLatin1Char('&'));
    return Collapse(caption);
}

/// Every caption, hint and list item of the three windows in a language's set.
QStringList CaptionsToFind(Language language) {
    QStringList texts;
    const auto set = CaptionSet(language);
    for (const CaptionWindow window :
         {CaptionWindow::Main, CaptionWindow::CityHist, CaptionWindow::CityList}) {
        for (const CaptionProperty property :
             {CaptionProperty::Text, CaptionProperty::Hint, CaptionProperty::Items}) {
            for (const Caption& caption : CaptionsOf(set, window, property)) {
                if (property == CaptionProperty::Items) {
                    for (const std::string_view item : caption.items)
                        texts << ShownCaption(item);
                } else {
                    texts << ShownCaption(caption.text);
                }
            }
        }
    }
    texts.removeAll(QString());
    texts.removeDuplicates();
    return texts;
}

TEST(ManualCaptions, EveryCaptionOfTheProgramAppearsInTheManualOfItsLanguage) {
    for (const ManualLanguage& l : kLanguages) {
        const QString manual = VisibleText(ReadManual(l.code));
        const QStringList captions = CaptionsToFind(l.language);
        ASSERT_GT(captions.size(), 60) << "the caption sets seem empty";
        QStringList missing;
        for (const QString& caption : captions) {
            if (!manual.contains(caption))
                missing << QLatin1Char('"') + caption + QLatin1Char('"');
        }
        EXPECT_TRUE(missing.isEmpty()) << "zimbalo." << l.code << ".html lacks "
                                       << missing.join(QStringLiteral(", ")).toStdString();
    }
}

TEST(ManualCaptions, TheThreeManualsHaveTheSameSectionsAndTheirPicturesExist) {
    static const QRegularExpression section(QStringLiteral("<section id=\"([^\"]+)\""));
    static const QRegularExpression picture(QStringLiteral("<img [^>]*src=\"([^\"]+)\""));
    std::string firstSections;
    for (const ManualLanguage& l : kLanguages) {
        const QString html = ReadManual(l.code);
        QStringList ids;
        for (auto it = section.globalMatch(html); it.hasNext();)
            ids << it.next().captured(1);
        const std::string sections = ids.join(QLatin1Char(' ')).toStdString();
        if (firstSections.empty())
            firstSections = sections;
        EXPECT_EQ(sections, firstSections) << "sections of zimbalo." << l.code << ".html";

        int pictures = 0;
        for (auto it = picture.globalMatch(html); it.hasNext(); ++pictures) {
            const QString file = QFileInfo(ManualPath(l.code)).absolutePath() + QLatin1Char('/')
                                 + it.next().captured(1);
            EXPECT_TRUE(QFileInfo(file).isFile()) << file.toStdString() << " is missing";
        }
        EXPECT_GE(pictures, 4) << "zimbalo." << l.code << ".html";
    }
    EXPECT_GE(QString::fromStdString(firstSections).count(QLatin1Char(' ')), 7);
}

}  // namespace
}  // namespace zimbalo::app
