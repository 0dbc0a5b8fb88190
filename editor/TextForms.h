#pragma once

#include <QString>

#include <string>
#include <string_view>

// The forms a message's text takes between the codec and the windows, converted here and nowhere else. The codec
// ends lines with CR LF (the encoder skips them: they are there for people); the panes, the clipboard and a
// script file end them with "\n" (a pane's document holds paragraph separators); a row of the Messages list
// shows each line end as one mark.
class TextForms {
public:
    // The mark that stands for a line end in a one-line row.
    static constexpr char16_t LineBreakMark = u'\u21B5';

    // Text as typed in a pane, pasted or read from a script, as the encoder takes it: every line end CR LF.
    [[nodiscard]] static std::u16string ForEncoder(const QString& text);
    // The codec's text in lines, as the panes, the clipboard and a script show it.
    [[nodiscard]] static QString AsLines(std::u16string_view text);
    // The codec's text on one line, for a row of the Messages list.
    [[nodiscard]] static QString OneLine(std::u16string_view text);
    // A tooltip's text in lines no longer than a reader follows, broken at blanks (a longer word is cut): a
    // tooltip is as wide as its longest line.
    [[nodiscard]] static QString ToolTip(const QString& text);
};
