#include "editor/Reports.h"

#include "codec/MessageReader.h"
#include "codec/TypedText.h"

#include <QDir>
#include <QLocale>
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

namespace {

// "a", "a and b", "a, b and c".
QString Listed(const QStringList& items) {
    return items.size() < 2
               ? items.join(QString())
               : items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + Reports::tr(" and ") + items.constLast();
}

} // namespace

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
    return Listed(parts);
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

namespace {

// Byte counts of five digits or more with a thousands separator, which a position never has: it reads as typed.
QString ByteCount(std::int64_t count) {
    return count >= 10000 ? Reports::ManyBytes(count) : Reports::Bytes(count);
}

// "message 3 of bank 1", "messages 2 to 75 of bank 1 and 1 to 4 of bank 2", "messages 2, 5 to 7 of bank 1".
QString MessageNames(std::span<const MessageSession::MessageName> messages) {
    QStringList banks;
    for (std::size_t i = 0; i < messages.size();) {
        const int bank = messages[i].bank;
        QStringList runs;
        while (i < messages.size() && messages[i].bank == bank) {
            std::size_t end = i + 1;
            while (end < messages.size() && messages[end].bank == bank &&
                   messages[end].index == messages[end - 1].index + 1)
                ++end;
            runs << (end - i == 1 ? QString::number(messages[i].index)
                                  : Reports::tr("%1 to %2").arg(messages[i].index).arg(messages[end - 1].index));
            i = end;
        }
        banks << Reports::tr("%1 of bank %2").arg(runs.join(QStringLiteral(", "))).arg(bank);
    }
    return messages.size() == 1 ? Reports::tr("message %1").arg(banks.constFirst())
                                : Reports::tr("messages %1").arg(Listed(banks));
}

} // namespace

QString Reports::LongerText(std::int64_t needed, std::int32_t start, std::int64_t oldBytes,
                            std::span<const MessageSession::MessageName> overwritten) {
    const QString after = overwritten.empty()
                              ? tr("Writing it overwrites the %1 after that message.")
                              : tr("Writing it overwrites the %1 after that message, and with them %2.");
    return tr("The new text needs %1, but the message at position %2 has only %3.\n\n")
               .arg(ByteCount(needed))
               .arg(start)
               .arg(ByteCount(oldBytes)) +
           after.arg(ByteCount(needed - oldBytes), MessageNames(overwritten));
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
        reasons << LongerText(static_cast<std::int64_t>(plan.bytes.size()), plan.start, *plan.oldBytes,
                              plan.overwritten);
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

namespace {

// A character in a first-strong isolate: a right-to-left one, and the commas and quotes around it, stay in the
// order of the sentence.
QString Isolated(const QString& text) {
    return QChar(0x2068) + text + QChar(0x2069);
}

// Each character once, a surrogate pair as one.
QList<std::u16string_view> Characters(std::u16string_view text) {
    QList<std::u16string_view> characters;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool pair = QChar::isHighSurrogate(text[i]) && i + 1 < text.size();
        characters << text.substr(i, pair ? 2 : 1);
        i += pair ? 1 : 0;
    }
    return characters;
}

} // namespace

QString Reports::LeftOut(std::u16string_view dropped) {
    if (dropped.empty())
        return {};
    // So many characters are named; the rest are only counted, and listed in the question's details.
    constexpr qsizetype Named = 5;
    const QList<std::u16string_view> characters = Characters(dropped);
    const qsizetype count = characters.size();
    QStringList named;
    for (qsizetype i = 0; i < std::min(count, Named); ++i)
        named << Isolated(SpelledOut(characters[i]));
    if (count > Named)
        named << (count - Named == 1 ? tr("1 more character") : tr("%1 more characters").arg(count - Named));
    return tr("The game has no code for %1, so the new text leaves %2 out.")
        .arg(Listed(named), count == 1 ? tr("it") : tr("them"));
}

QString Reports::LeftOutDetails(std::u16string_view dropped) {
    if (dropped.empty())
        return {};
    QStringList lines{tr("Characters the game has no code for:")};
    for (const std::u16string_view character : Characters(dropped)) {
        const char32_t code = character.size() == 2 ? QChar::surrogateToUcs4(character[0], character[1])
                                                    : static_cast<char32_t>(character[0]);
        // A left-to-right mark first: the details box sets each line's direction by its first strong character,
        // and would set a line that names a right-to-left character right to left.
        lines << QChar(0x200E) + tr("%1 (U+%2)")
                                     .arg(Isolated(SpelledOut(character)),
                                          QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
    return lines.join(QLatin1Char('\n'));
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

QString Reports::UndoFailed(const WriteHistory::Undo& undo) {
    const WriteHistory::Change& change = undo.change;
    if (!change.IsImport()) {
        const kyrel::ByteRun& run = change.runs.front();
        return UndoFailed(static_cast<std::int32_t>(run.start), {undo.result.bytes, undo.result.failure},
                          static_cast<std::int64_t>(run.before.size()));
    }
    const QString reason = Reason(undo.result.failure);
    if (undo.result.bytes == 0)
        return tr("Nothing was undone.\n\n%1").arg(reason);
    return tr("The undo of the import of %1 stopped after %2 of %3 changed stretches: those hold their bytes from "
              "before the import again; the rest of the import is still in the file, and Undo Write can try "
              "again.\n\n%4")
        .arg(change.script, Count(static_cast<std::int64_t>(undo.result.runs)),
             Count(static_cast<std::int64_t>(change.runs.size())), reason);
}

QString Reports::UndoItem(const WriteHistory::Change* newest) {
    if (!newest)
        return {};
    return newest->IsImport() ? tr("&Undo Import of %1").arg(newest->script)
                              : tr("&Undo Write at %1").arg(newest->Start());
}

QString Reports::Count(std::int64_t count) {
    // The sentences are English, whatever the system's language: so are their numbers.
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(static_cast<qlonglong>(count));
}

QString Reports::ManyBytes(std::int64_t count) {
    return count == 1 ? tr("1 byte") : tr("%1 bytes").arg(Count(count));
}

QString Reports::ScriptNote(int bank, int index, std::int64_t bytes) {
    return tr("Bank %1, message %2. The translation may take at most %3, end code included; a shorter one is "
              "filled with blanks.")
        .arg(bank)
        .arg(index)
        .arg(Bytes(bytes));
}

QString Reports::ScriptCutNote(int bank, int index) {
    return tr("Bank %1, message %2. The index view cuts this message after 1000 bytes, before its end code: it is "
              "here for reference, and its translation is not imported.")
        .arg(bank)
        .arg(index);
}

QString Reports::Exported(const QString& fileName, int messages) {
    return tr("The script of %1 messages was saved as %2. Translate it in a translation tool, then import it with "
              "\"Import Script...\".")
        .arg(Count(messages))
        .arg(fileName);
}

QString Reports::ExportFailed(const QString& fileName, const QString& reason) {
    return tr("The script could not be saved as %1: %2").arg(fileName, reason);
}

QString Reports::ExportRefused(const kyrel::Failure& failure) {
    return tr("The script could not be made.\n\n%1").arg(Reason(failure));
}

namespace {

QString PoProblemText(const kyrel::PoFailure& failure) {
    const QString value = QString::fromStdString(failure.value);
    switch (failure.problem) {
    case kyrel::PoProblem::TooLarge:
        return Reports::tr("It holds more than %1 MiB, far more than any script.").arg(kyrel::MaxPoBytes >> 20);
    case kyrel::PoProblem::Unexpected:
        return value.isEmpty() ? Reports::tr("It ends in the middle of an entry.")
                               : Reports::tr("\"%1\" cannot stand there.").arg(value);
    case kyrel::PoProblem::MissingString:
        return Reports::tr("%1 is not followed by a quoted string.").arg(value);
    case kyrel::PoProblem::MissingMsgstr:
        return Reports::tr("The entry has no msgstr.");
    case kyrel::PoProblem::UnclosedString:
        return Reports::tr("A quoted string does not end on its line.");
    case kyrel::PoProblem::BadEscape:
        return Reports::tr("The escape %1 is not one a PO file may hold.").arg(value);
    case kyrel::PoProblem::PluralForms:
        return Reports::tr("The entry has plural forms, which no message of the game has.");
    case kyrel::PoProblem::NotUtf8:
        return Reports::tr("The file says it is written in %1, and scripts are read in UTF-8 only: save it as UTF-8 "
                           "in the translation tool.")
            .arg(value);
    case kyrel::PoProblem::InvalidUtf8:
        return Reports::tr("It holds bytes that are not UTF-8 text.");
    }
    return {};
}

} // namespace

QString Reports::ImportRefused(const QString& scriptName, const Script::ImportPlan& plan) {
    if (plan.refused) {
        const QString what = PoProblemText(*plan.refused);
        return tr("Nothing was imported: %1 is not a PO file the editor can read.\n\n%2")
            .arg(scriptName, plan.refused->line > 0 ? tr("Line %1: %2").arg(plan.refused->line).arg(what) : what);
    }
    return tr("Nothing was imported.\n\n%1").arg(Reason(plan.failure));
}

QString Reports::LeftOutEntry(const Script::LeftOut& left) {
    QString why;
    switch (left.reason) {
    case Script::Reason::Fuzzy:
        why = tr("it is marked as fuzzy, to be reviewed.");
        break;
    case Script::Reason::NoSuchMessage:
        why = left.context.empty() ? tr("it has no context naming a message of this ROM.")
                                   : tr("no message of this ROM starts at that position with that length.");
        break;
    case Script::Reason::Repeated:
        why = tr("an earlier entry translates the same message.");
        break;
    case Script::Reason::CutMessage:
        why = tr("the index view cuts this message after 1000 bytes, so it is not imported.");
        break;
    case Script::Reason::BadArgument:
        why = left.error ? BadArgument(*left.error) : QString();
        break;
    case Script::Reason::TooLong:
        why = tr("needs %1, %2 fit.").arg(Bytes(left.needed), QString::number(left.message.bytes));
        break;
    case Script::Reason::EndCodeInside:
        why = tr("its bytes hold an end code before their last byte, which would split the message in two and move "
                 "every later message one index on.");
        break;
    }
    const QString context =
        left.context.empty() ? QString() : QStringLiteral(" (%1)").arg(QString::fromStdString(left.context));
    return tr("Line %1%2: %3").arg(QString::number(left.line), context, why);
}

namespace {

// "line 40", "lines 40 and 52", "lines 40, 52 and 77".
QString Lines(const QList<int>& lines) {
    QStringList numbers;
    for (const int line : lines)
        numbers << QString::number(line);
    const QString list = Listed(numbers);
    return numbers.size() == 1 ? Reports::tr("line %1").arg(list) : Reports::tr("lines %1").arg(list);
}

// Each character without a code once, with the lines of the translations that leave it out.
QList<std::pair<std::u16string, QList<int>>> DroppedByCharacter(const Script::ImportPlan& plan) {
    QList<std::pair<std::u16string, QList<int>>> dropped;
    for (const Script::Translation& translation : plan.translations) {
        const std::u16string& text = translation.dropped;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const bool pair = QChar::isHighSurrogate(text[i]) && i + 1 < text.size();
            const std::u16string character = text.substr(i, pair ? 2 : 1);
            i += pair ? 1 : 0;
            auto found = std::find_if(dropped.begin(), dropped.end(),
                                      [&](const auto& entry) { return entry.first == character; });
            if (found == dropped.end())
                dropped.append({character, {translation.line}});
            else
                found->second.append(translation.line);
        }
    }
    return dropped;
}

} // namespace

QString Reports::ImportQuestion(const Script::ImportPlan& plan, const QString& scriptName, const QString& romName) {
    QStringList said;
    said << tr("Import %1 into %2?").arg(scriptName, romName);
    const int changing = plan.Changing();
    const auto held = static_cast<int>(plan.translations.size()) - changing;
    QString counts = (changing == 1 ? tr("1 translation will be written: %1 change.")
                                    : tr("%1 translations will be written: %2 change.").arg(Count(changing)))
                         .arg(ManyBytes(plan.BytesChanging()));
    if (held > 0)
        counts += held == 1 ? tr(" 1 more is in the ROM already.") : tr(" %1 more are in the ROM already.").arg(held);
    if (!plan.leftOut.empty()) {
        const auto left = static_cast<std::int64_t>(plan.leftOut.size());
        counts += (left == 1 ? tr(" 1 entry is left out") : tr(" %1 entries are left out").arg(Count(left))) +
                  tr("; the details list each with its reason.");
    }
    said << counts;
    const auto dropped = DroppedByCharacter(plan);
    if (!dropped.isEmpty()) {
        QStringList named;
        for (const auto& [character, lines] : dropped)
            named << tr("%1 (%2)").arg(Isolated(SpelledOut(character)), Lines(lines));
        said << tr("The game has no code for %1, so those translations leave %2 out.")
                    .arg(Listed(named), dropped.size() == 1 ? tr("it") : tr("them"));
    }
    said << tr("Every message keeps its place: a shorter translation is filled with blanks up to the message's end "
               "code. Undo Write takes the whole import back.");
    return said.join(QStringLiteral("\n\n"));
}

QString Reports::ImportDetails(const Script::ImportPlan& plan) {
    QStringList lines;
    for (const Script::LeftOut& left : plan.leftOut)
        lines << LeftOutEntry(left);
    return lines.join(QLatin1Char('\n'));
}

QString Reports::NothingToImport(const Script::ImportPlan& plan, const QString& scriptName) {
    QString said = plan.translations.empty()
                       ? tr("%1 holds no translation to import.").arg(scriptName)
                       : tr("Nothing was written: the ROM already holds every translation of %1.").arg(scriptName);
    if (!plan.leftOut.empty())
        said += QLatin1Char(' ') +
                (plan.leftOut.size() == 1
                     ? tr("1 entry is left out:")
                     : tr("%1 entries are left out:").arg(Count(static_cast<std::int64_t>(plan.leftOut.size())))) +
                QStringLiteral("\n\n") + ImportDetails(plan);
    return said;
}

QString Reports::Imported(const Script::ImportPlan& plan, const kyrel::RunsResult& result) {
    if (result.ok()) {
        const int written = plan.Changing();
        return (written == 1 ? tr("1 translation written: %1 changed.")
                             : tr("%1 translations written: %2 changed.").arg(Count(written)))
            .arg(ManyBytes(plan.BytesChanging()));
    }
    const QString reason = Reason(result.failure);
    if (plan.runs.empty() || !result.started)
        return tr("Nothing was imported.\n\n%1").arg(reason);
    if (result.runs >= plan.runs.size())
        return tr("Every translation went in, but the file may not hold them all.\n\n%1").arg(reason);
    // The runs go in the order of the translations, so those that went in whole come first.
    const std::size_t stoppedAt = result.runs < plan.runs.size() ? plan.runTranslation[result.runs] : 0;
    int whole = 0;
    for (std::size_t i = 0; i < stoppedAt; ++i)
        whole += plan.translations[i].changes ? 1 : 0;
    const Script::Translation& stopped = plan.translations[stoppedAt];
    // Nothing went in whole, though the first translation's runs may have begun.
    if (whole == 0)
        return tr("Nothing was imported, unless part of the translation at line %1 (the message at position %2).\n\n%3")
            .arg(QString::number(stopped.line), QString::number(stopped.message.position), reason);
    return tr("The import stopped after %1 of %2 translations: those of the script's lines up to %3 went in; the "
              "translation at line %4 (the message at position %5) may be partly written, and the rest did not go "
              "in. Undo Write takes back what went in.\n\n%6")
        .arg(Count(whole), Count(plan.Changing()), QString::number(plan.translations[stoppedAt - 1].line),
             QString::number(stopped.line), QString::number(stopped.message.position), reason);
}

QString Reports::PatchRefused(const RomPatch::Made& made) {
    if (made.sameFile)
        return tr("No patch was made: the original chosen is the ROM loaded in the editor itself. Choose the "
                  "unchanged copy of the game's ROM you kept.");
    if (!made.failure.ok())
        return tr("No patch was made.\n\n%1").arg(Reason(made.failure));
    const kyrel::PatchMade& patch = made.patch;
    const QString bps = tr("Choose a BPS patch instead.");
    switch (patch.code) {
    case kyrel::MakeCode::Ok:
        return {};
    case kyrel::MakeCode::NothingToPatch:
        return tr("No patch was made: the ROM and the original are identical, so there is nothing to patch.");
    case kyrel::MakeCode::IpsPastReach:
        return tr("No patch was made: a change lies at offset %1, past the 16 MiB an IPS patch can reach. %2")
            .arg(QString::number(patch.offset), bps);
    case kyrel::MakeCode::IpsShrinks:
        return tr("No patch was made: the ROM (%1) is shorter than the original (%2), and an IPS patch cannot make "
                  "a file shorter. %3")
            .arg(ManyBytes(static_cast<std::int64_t>(patch.editedSize)),
                 ManyBytes(static_cast<std::int64_t>(patch.originalSize)), bps);
    case kyrel::MakeCode::TooLarge:
        return tr("No patch was made: a file of more than %1 MiB is no ROM of this game.")
            .arg(kyrel::MaxBpsTargetSize >> 20);
    case kyrel::MakeCode::VerifyFailed:
        return tr("No patch was made: applied to the original, the patch did not give the ROM (the first difference "
                  "is at offset %1), so it was not saved.")
            .arg(patch.offset);
    }
    return {};
}

QString Reports::PatchSaved(const QString& fileName, const RomPatch::Made& made) {
    const QString written =
        tr("Wrote %1 (%2)").arg(fileName, ManyBytes(static_cast<std::int64_t>(made.patch.patch.size())));
    QStringList banks;
    for (int bank = 2; bank >= 1; --bank) {
        const int count = made.messages[static_cast<std::size_t>(bank - 1)];
        if (count > 0)
            banks << (banks.isEmpty() ? (count == 1 ? tr("1 message of bank %1").arg(bank)
                                                    : tr("%1 messages of bank %2").arg(Count(count)).arg(bank))
                                      : tr("%1 of bank %2").arg(Count(count)).arg(bank));
    }
    QString said;
    const int messages = made.messages[0] + made.messages[1];
    if (messages > 0) {
        said = tr("%1: %2 %3 from the original")
                   .arg(written, banks.join(tr(" and ")), messages == 1 ? tr("differs") : tr("differ"));
        if (made.outside > 0)
            said += tr(", and %1 outside them").arg(ManyBytes(made.outside));
    } else {
        said = tr("%1: no message differs from the original, %2 outside the messages do")
                   .arg(written, ManyBytes(made.outside));
    }
    said += QLatin1Char('.');
    if (made.patch.format == kyrel::PatchFormat::Ips)
        said += tr("\n\nAn IPS patch addresses the file as it stands, copier header included, so it is for the "
                   "headered ROM only; a BPS patch serves ROMs with and without the header.");
    else if (made.patch.headerLeftOut)
        said += tr("\n\nThe patch leaves out the 512-byte copier header, so it applies to the game's ROM with or "
                   "without it.");
    else if (made.patch.headersDiffer)
        said += tr("\n\nThe copier headers of the two files differ, so the patch is made of the whole files: it "
                   "applies only to a ROM with the original's header.");
    return said;
}

QString Reports::PatchNotSaved(const QString& fileName, const QString& reason) {
    return tr("The patch could not be saved as %1: %2").arg(fileName, reason);
}
