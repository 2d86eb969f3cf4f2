#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

#include "astro/language.h"

class QObject;

namespace zimbalo::app {

/// The window a caption belongs to: the main window, the place-history list window or the
/// many-places list window.
enum class CaptionWindow { Main, CityHist, CityList };

/// What a caption sets on its control: the visible text (menu title, action, label, button,
/// group box title), the hint (tool tip), the items of a combo box, or the main window's title
/// suffix (not tied to a control).
enum class CaptionProperty { Text, Hint, Items, TitleSuffix };

/// One caption of a language's set: window, control name, property and UTF-8 text or items.
/// "&" in a text marks the keyboard accelerator of the following letter.
struct Caption {
    CaptionWindow window;
    std::string_view objectName;  ///< empty for the title suffix
    CaptionProperty property;
    std::string_view text;                    ///< Text, Hint and TitleSuffix
    std::span<const std::string_view> items;  ///< Items
};

/// The caption set of a language, in the order in which it is applied: the main window's
/// captions, its hints, its title suffix, then the place-history and the many-places window.
/// An out-of-range language gives the German set.
std::span<const Caption> CaptionSet(Language language);

/// The captions of `set` for one window and property, in set order.
std::vector<Caption> CaptionsOf(std::span<const Caption> set, CaptionWindow window,
                                CaptionProperty property);

/// The main window's title suffix of a language (" - Der Planetenbedeckungs-Vardel" ...).
std::string_view TitleSuffix(Language language);

/// The main window's title: "Zimbalo " + the program's file version + the language's suffix.
std::string MainWindowTitle(std::string_view fileVersion, Language language);

/// Applies `captions` to the objects below `root` (root included) that carry the caption's
/// objectName: menus (title), actions, labels, buttons, check boxes, radio buttons and group boxes
/// (text or title), any widget or action (hint), combo boxes (items; the selected index is kept
/// and no change signal is sent). The search does not enter other top-level windows that happen
/// to be children of root, so two windows may use the same control names. Title suffixes are
/// skipped. Returns one message per caption that found no suitable object.
std::vector<std::string> ApplyCaptions(QObject& root, std::span<const Caption> captions);

/// Applies the captions of a list window in `language`: the place-history rows to the window
/// named "TForm_CityHist", the many-places rows to "TForm_CityList". The column headers and the
/// threshold entries are the list windows' own texts. Returns the problems as `ApplyCaptions`.
std::vector<std::string> ApplyListWindowCaptions(QObject& window, Language language);

/// The objects below `root` (root included, other top-level windows excluded) named `name`.
std::vector<QObject*> FindCaptionTargets(QObject& root, std::string_view name);

/// "File I/O error." in `language`: the first line of a message about a file that could not be
/// read or written.
QString FileIOErrorText(Language language);

/// The message for a points-of-interest list that is larger than `maxKiB` kibibytes or has a line
/// longer than `maxLineLength` characters, in `language`.
QString PoIListTooLargeText(Language language, int maxKiB, int maxLineLength);

/// The message for settings that could not be saved at the close, in `language`.
QString SettingsNotSavedText(Language language);

}  // namespace zimbalo::app
