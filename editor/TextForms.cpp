#include "editor/TextForms.h"

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
