#include "editor/Reports.h"

#include "codec/MessageReader.h"
#include "codec/TypedText.h"

#include <QDir>
#include <QStringList>

#include <system_error>

QString Reports::Bytes(std::int64_t count) {
    // Counts of bytes are the one plural the window shows; English needs only these two forms.
    return count == 1 ? tr("1 byte") : tr("%1 bytes").arg(count);
}

namespace {

QString FileName(const kyrel::Failure& failure) {
    return QDir::toNativeSeparators(QString::fromStdString(failure.path));
}

QString SystemError(const kyrel::Failure& failure) {
    return QString::fromStdString(std::generic_category().message(failure.osError));
}

} // namespace

QString Reports::Reason(const kyrel::Failure& failure) {
    using Code = kyrel::FailureCode;
    switch (failure.code) {
    case Code::None:
        break;
    case Code::NotRegularFile:
        return tr("\"%1\" is not a regular file.").arg(FileName(failure));
    case Code::CannotOpen:
        return tr("Cannot open \"%1\": %2.").arg(FileName(failure), SystemError(failure));
    case Code::CannotRead:
        return tr("Cannot read \"%1\": %2.").arg(FileName(failure), SystemError(failure));
    case Code::CannotWrite:
        return tr("Cannot write to \"%1\": %2.").arg(FileName(failure), SystemError(failure));
    case Code::CannotCut:
        return tr("Cannot cut \"%1\": %2.").arg(FileName(failure), SystemError(failure));
    case Code::BeforeFile:
        return tr("Position %1 is before the first byte of the file.").arg(failure.position);
    case Code::PastEnd:
        return tr("Position %1 is past the end of \"%2\", which has %3.")
            .arg(QString::number(failure.position), FileName(failure), Bytes(failure.size));
    case Code::PastLastReadable:
        return tr("Position %1 is past the last position the editor can read (%2).")
            .arg(failure.position)
            .arg(kyrel::LastReadablePosition);
    case Code::PastLastWritable:
        return tr("The new text needs %1 from position %2, which runs past position %3, the last one the editor can "
                  "write to.")
            .arg(Bytes(failure.count), QString::number(failure.position), QString::number(kyrel::LastWritablePosition));
    case Code::NoRoom:
        return tr("The new text needs %1 from position %2, but \"%3\" has only %4.")
            .arg(Bytes(failure.count), QString::number(failure.position), FileName(failure), Bytes(failure.size));
    case Code::Shortened:
        return tr("\"%1\" now has only %2: another program shortened it during the write.")
            .arg(FileName(failure), Bytes(failure.size));
    case Code::SizeChanged:
        return tr("Another program changed the size of \"%1\" during the write.").arg(FileName(failure));
    case Code::ChangedSinceWrite:
        return tr("Position %1 of \"%2\" no longer holds the byte the write put there: another program changed the "
                  "file.")
            .arg(QString::number(failure.position), FileName(failure));
    }
    return {};
}

QString Reports::SpelledOut(std::u16string_view text) {
    QStringList parts;
    QString run; // printable characters, shown between quotes
    auto endRun = [&] {
        if (!run.isEmpty())
            parts << QLatin1Char('"') + run + QLatin1Char('"');
        run.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0x20 && c != 0x7F) {
            const bool pair = QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1]);
            if (pair) {
                run += QChar(c);
                run += QChar(text[++i]);
            } else {
                // Half of a pair alone is no character.
                run += QChar::isSurrogate(c) ? QChar(QChar::ReplacementCharacter) : QChar(c);
            }
            continue;
        }
        endRun();
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            parts << tr("a line end");
        } else if (c == u'\t') {
            parts << tr("a tab");
        } else {
            parts << tr("the control character U+%1")
                         .arg(QString::number(static_cast<int>(c), 16).toUpper().rightJustified(4, QLatin1Char('0')));
        }
    }
    endRun();
    if (parts.size() < 2)
        return parts.join(QString());
    return parts.mid(0, parts.size() - 1).join(QStringLiteral(", ")) + tr(" and ") + parts.constLast();
}

QString Reports::BadArgument(const kyrel::EncodeError& error) {
    const QString tag = QString::fromStdU16String(error.tag);
    const QString shown = error.field.empty() ? tr("missing, as the text ends there") : SpelledOut(error.field);
    return tr("The argument after %1 at line %2, column %3 is %4: it must be a number from 000 to 255 in three "
              "digits, such as %5.")
        .arg(tag, QString::number(error.line), QString::number(error.column), shown, tag + QStringLiteral("005"));
}

QString Reports::ReadFailed(const kyrel::Failure& failure) {
    return tr("The message could not be read.\n\n%1").arg(Reason(failure));
}

QString Reports::ListFailed(const QString& fileName, const kyrel::Failure& failure) {
    return tr("The messages of %1 cannot be listed: %2").arg(fileName, Reason(failure));
}

QString Reports::BlankNewText() {
    return tr("You can not leave this field blank to write to this file!");
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

QString Reports::WriteQuestion(const MessageSession::WritePlan& plan, const QString& fileName) {
    QStringList reasons;
    if (const QString leftOut = LeftOut(plan.dropped); !leftOut.isEmpty())
        reasons << leftOut;
    if (plan.layout)
        reasons << LayoutRisk(fileName, *plan.layout);
    if (plan.oldBytes)
        reasons << LongerText(static_cast<std::int64_t>(plan.bytes.size()), plan.start, *plan.oldBytes);
    return reasons.isEmpty() ? QString() : WriteQuestion(reasons);
}

QString Reports::WriteRefused(const MessageSession::WritePlan& plan) {
    const auto needed = static_cast<std::int64_t>(plan.bytes.size());
    if (plan.badArgument)
        return tr("Nothing was written.\n\n%1").arg(BadArgument(*plan.badArgument));
    if (!plan.refused.ok())
        return WriteFailed(plan.start, {0, plan.refused}, needed);
    return {};
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
    const QString reason = Reports::Reason(result.failure);
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

QString Reports::Copied(const MessageSession::Copy& copy) {
    // Nobody should write back a message that lost its end without knowing it.
    QStringList said;
    const std::int32_t start = copy.start;
    const std::int64_t needed = copy.needed;
    const std::int64_t fileSize = copy.fileSize;
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
            named << SpelledOut(dropped.substr(i, pair ? 2 : 1));
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

QString Reports::NewTextSize(const kyrel::EncodedMessage& typed, bool empty, std::span<const std::uint8_t> readBytes) {
    if (empty)
        return tr("The new text is empty, and an empty text cannot be written.");
    if (!typed.ok())
        return BadArgument(*typed.error);

    const auto needed = static_cast<std::int64_t>(typed.bytes.size());
    const auto held = static_cast<std::int64_t>(readBytes.size());
    QString said = tr("The new text needs %1.").arg(Bytes(needed));
    if (const QString leftOut = LeftOut(typed.dropped); !leftOut.isEmpty())
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
