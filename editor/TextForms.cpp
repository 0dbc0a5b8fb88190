#include "editor/TextForms.h"

#include <QList>

std::u16string TextForms::ForEncoder(const QString& text) {
    std::u16string form;
    form.reserve(static_cast<std::size_t>(text.size()));
    char16_t before = 0;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit == QChar::ParagraphSeparator || unit == QChar::LineSeparator || (unit == u'\n' && before != u'\r'))
            form += u"\r\n";
        else
            form += unit;
        before = unit;
    }
    return form;
}

namespace {

QString WithLineEnds(std::u16string_view text, QChar lineEnd) {
    QString form = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    form.replace(QStringLiteral("\r\n"), QString(lineEnd));
    return form;
}

} // namespace

QString TextForms::AsLines(std::u16string_view text) {
    return WithLineEnds(text, QLatin1Char('\n'));
}

QString TextForms::OneLine(std::u16string_view text) {
    return WithLineEnds(text, QChar(LineBreakMark));
}

QString TextForms::ToolTip(const QString& text) {
    constexpr qsizetype Columns = 70;
    QString wrapped;
    wrapped.reserve(text.size() + text.size() / Columns + 1);
    const QList<QStringView> lines = QStringView(text).split(u'\n');
    for (qsizetype line = 0; line < lines.size(); ++line) {
        if (line > 0)
            wrapped += u'\n';
        qsizetype width = 0;
        const QList<QStringView> words = lines[line].split(u' ');
        for (qsizetype i = 0; i < words.size(); ++i) {
            QStringView word = words[i];
            if (i > 0 && width > 0 && width + 1 + word.size() > Columns) {
                wrapped += u'\n';
                width = 0;
            } else if (i > 0) {
                wrapped += u' ';
                ++width;
            }
            while (width + word.size() > Columns) {
                qsizetype room = Columns - width;
                if (room > 1 && word[room - 1].isHighSurrogate())
                    --room; // a pair stays whole
                wrapped += word.left(room);
                wrapped += u'\n';
                word = word.mid(room);
                width = 0;
            }
            wrapped += word;
            width += word.size();
        }
    }
    return wrapped;
}
