#include "editor/Reports.h"

#include "codec/MessageEncoder.h"

#include <QStringList>

QString Reports::Bytes(std::int64_t count) {
    // Counts of bytes are the one plural the window shows; English needs only these two forms.
    return count == 1 ? tr("1 byte") : tr("%1 bytes").arg(count);
}

QString Reports::ReadFailed(const QString& reason) {
    return tr("The message could not be read.\n\n%1").arg(reason);
}

QString Reports::LongerText(std::int64_t needed, std::int32_t start, std::int64_t oldBytes) {
    return tr("The new text needs %1, but the message at position %2 has only %3.\n\n"
              "Writing it overwrites the %4 after that message.")
        .arg(Bytes(needed))
        .arg(start)
        .arg(Bytes(oldBytes))
        .arg(Bytes(needed - oldBytes));
}

QString Reports::LayoutRisk(const QString& fileName, kyrel::RomLayout layout) {
    const QString what = layout == kyrel::RomLayout::WithoutHeader
                             ? tr("\"%1\" seems to lack its 512-byte copier header").arg(fileName)
                             : tr("\"%1\" has a size no cartridge image has").arg(fileName);
    return tr("%1, so the message shown may not be the one at this position, and the new text may overwrite "
              "other data of the game.")
        .arg(what);
}

QString Reports::WriteQuestion(const QStringList& reasons) {
    return reasons.join(QStringLiteral("\n\n")) + tr(" Write it anyway?");
}

QString Reports::LayoutWarning(const QString& fileName, kyrel::RomLayout layout, std::int64_t size) {
    const QString what =
        layout == kyrel::RomLayout::WithoutHeader
            ? tr("\"%1\" seems to lack the 512-byte copier header of the headered \".smc\" file: it holds %2, a "
                 "whole number of KiB.")
            : tr("\"%1\" has a size no cartridge image has: it holds %2, and a headered \".smc\" file holds 512 "
                 "bytes more than a whole number of KiB.");
    return what.arg(fileName, Bytes(size)) +
           tr("\n\nThe editor's positions count that header, so messages will show from the wrong place, and "
              "a write would land where the message shown is not. Open the headered \".smc\" file of the game "
              "instead.");
}

namespace {

// A write or an undo that did not finish: `nothing` when no byte went in, else `stopped` with how many of how many
// bytes, the first position and the last one done, and the reason.
QString Unfinished(const kyrel::WriteResult& result, const QString& nothing, const QString& stopped, std::int32_t start,
                   std::int64_t count) {
    const QString reason = QString::fromStdString(result.error);
    if (result.written == 0)
        return nothing.arg(reason);
    return stopped.arg(result.written)
        .arg(Reports::Bytes(count))
        .arg(start)
        .arg(start + result.written - 1)
        .arg(reason);
}

} // namespace

QString Reports::WriteFailed(std::int32_t start, const kyrel::WriteResult& result, std::int64_t needed) {
    return Unfinished(result, tr("Nothing was written.\n\n%1"),
                      tr("The write stopped after %1 of %2. The message at position %3 now ends at position %4 "
                         "without its end code.\n\n%5"),
                      start, needed);
}

QString Reports::UndoFailed(std::int32_t start, const kyrel::WriteResult& result, std::int64_t count) {
    return Unfinished(result, tr("Nothing was undone.\n\n%1"),
                      tr("The undo stopped after %1 of %2. Positions %3 to %4 hold their bytes from before the "
                         "write again; the rest of the write is still in the file, and Undo Write can try "
                         "again.\n\n%5"),
                      start, count);
}

QString Reports::Copied(const kyrel::TypedText& copy, std::int32_t start, std::int64_t needed, std::int64_t fileSize) {
    // Nobody should write back a message that lost its end without knowing it.
    QStringList said;
    if (!copy.complete) {
        const std::int64_t room = fileSize - start + 1;
        if (fileSize >= 0 && needed > room) {
            // The end code would not fit before the end of the file, and the write refuses what does not fit.
            said << tr("The read stopped before the end code of the message. Writing the text back needs %1 "
                       "from position %2 (the end code included), but the file ends after %3, so \"Write New "
                       "Text\" will refuse it.")
                        .arg(Bytes(needed))
                        .arg(start)
                        .arg(Bytes(room));
        } else {
            said << tr("The read stopped before the end code of the message, so writing the text puts an end "
                       "code where the read stopped.");
        }
    }
    if (said.isEmpty())
        return {};
    return tr("The message was copied as new text.\n\n") + said.join(QLatin1Char(' '));
}

QString Reports::LeftOut(std::u16string_view dropped) {
    if (dropped.empty())
        return {};
    // So many characters are named; the rest are only counted.
    constexpr qsizetype Named = 5;
    QStringList named;
    qsizetype count = 0;
    for (std::size_t i = 0; i < dropped.size(); ++i, ++count) {
        const bool pair = QChar::isHighSurrogate(dropped[i]) && i + 1 < dropped.size();
        if (count < Named)
            named << QString::fromStdString(kyrel::SpelledOut(dropped.substr(i, pair ? 2 : 1)));
        i += pair ? 1 : 0;
    }
    if (count > Named)
        named << (count - Named == 1 ? tr("1 more character") : tr("%1 more characters").arg(count - Named));
    const QString list =
        named.size() < 2 ? named.join(QString())
                         : named.mid(0, named.size() - 1).join(QStringLiteral(", ")) + tr(" and ") + named.constLast();
    return tr("The game has no code for %1, so the new text leaves %2 out.")
        .arg(list, count == 1 ? tr("it") : tr("them"));
}

QString Reports::NewTextSize(const QString& text, std::span<const std::uint8_t> readBytes) {
    if (text.isEmpty())
        return tr("The new text is empty, and an empty text cannot be written.");
    const std::u16string typed = text.toStdU16String();
    const kyrel::EncodedMessage encoded = kyrel::EncodeToBytes(typed);
    if (!encoded.ok())
        return QString::fromStdString(encoded.error->Describe());

    const auto needed = static_cast<std::int64_t>(encoded.bytes.size());
    const auto held = static_cast<std::int64_t>(readBytes.size());
    QString said = tr("The new text needs %1.").arg(Bytes(needed));
    if (const QString leftOut = LeftOut(kyrel::DroppedCharacters(typed)); !leftOut.isEmpty())
        said += QLatin1Char(' ') + leftOut;
    if (readBytes.empty())
        return said + tr(" No message has been read yet.");
    if (!kyrel::TypedTextOf(readBytes).complete)
        return said + tr(" The read of the message shown stopped after %1, before its end code.").arg(Bytes(held));
    said += tr(" The message read last holds %1.").arg(Bytes(held));
    if (needed < held)
        said += tr(" The new text is %1 shorter: those bytes stay after its end code, and index view reads them as "
                   "a message of their own.")
                    .arg(Bytes(held - needed));
    return said;
}
