#pragma once

#include "codec/Failure.h"
#include "codec/MessageEncoder.h"
#include "codec/RomFile.h"
#include "codec/RomWriter.h"
#include "editor/MessageSession.h"
#include "editor/RomPatch.h"
#include "editor/Script.h"
#include "editor/WriteHistory.h"

#include <QCoreApplication>
#include <QString>

#include <cstdint>
#include <span>
#include <string_view>

// Every sentence the editor's windows show about reads, writes, copies and the files they touch, built here and
// nowhere else, from the codes and values the codec and the session return, so that they can be checked without a
// window.
class Reports {
    Q_DECLARE_TR_FUNCTIONS(GameDialog)

public:
    // "1 byte", "2 bytes".
    [[nodiscard]] static QString Bytes(std::int64_t count);

    // Why a file operation, a read or a write did not work, in one sentence.
    [[nodiscard]] static QString Reason(const kyrel::Failure& failure);
    // Characters as a user reads them: printable ones between quotes, line ends, tabs and other control
    // characters as words ("\"5\" and a line end").
    [[nodiscard]] static QString SpelledOut(std::u16string_view text);
    // A tag's argument field that is not a number from 0 to 255.
    [[nodiscard]] static QString BadArgument(const kyrel::EncodeError& error);

    [[nodiscard]] static QString ReadFailed(const kyrel::Failure& failure);
    // Why the Messages window lists nothing.
    [[nodiscard]] static QString ListFailed(const QString& fileName, const kyrel::Failure& failure);
    // "Write New Text" with an empty "New Text" pane.
    [[nodiscard]] static QString BlankNewText();
    // Why a write needs the user's agreement: a new text longer than the message it replaces overwrites the next.
    // `overwritten`: the messages that begin in the bytes it runs over, when they are known.
    [[nodiscard]] static QString LongerText(std::int64_t needed, std::int32_t start, std::int64_t oldBytes,
                                            std::span<const MessageSession::MessageName> overwritten = {});
    // Why a write needs the user's agreement: the file is not laid out as the editor's positions assume.
    [[nodiscard]] static QString LayoutRisk(const QString& fileName, kyrel::RomLayout layout);
    // Why a write needs the user's agreement: characters the game has no code for are left out (empty: none are).
    // Each character named stands in an isolate, so that right-to-left ones keep their place in the list.
    [[nodiscard]] static QString LeftOut(std::u16string_view dropped);
    // Every character left out, one a line with its code point, for the question's details (empty: none are).
    [[nodiscard]] static QString LeftOutDetails(std::u16string_view dropped);
    // One question for every reason a write needs the user's agreement.
    [[nodiscard]] static QString WriteQuestion(const QStringList& reasons);
    // The question a write plan asks, for every reason it has, or nothing when it needs no agreement.
    [[nodiscard]] static QString WriteQuestion(const MessageSession::WritePlan& plan, const QString& fileName);
    // Why a write plan was refused before its first byte, or nothing when it was not.
    [[nodiscard]] static QString WriteRefused(const MessageSession::WritePlan& plan);
    // The warning on loading a file that is not laid out as the editor's positions assume.
    [[nodiscard]] static QString LayoutWarning(const QString& fileName, kyrel::RomLayout layout, std::int64_t size);
    // A write that was refused (nothing written) or stopped after some bytes.
    [[nodiscard]] static QString WriteFailed(std::int32_t start, const kyrel::WriteResult& result, std::int64_t needed);
    // An undo of a write that was refused (nothing restored) or stopped after some bytes.
    [[nodiscard]] static QString UndoFailed(std::int32_t start, const kyrel::WriteResult& result, std::int64_t count);
    // An undo of a write or an import that was refused or stopped midway.
    [[nodiscard]] static QString UndoFailed(const WriteHistory::Undo& undo);
    // The Undo Write item for the newest change (nothing: there is none).
    [[nodiscard]] static QString UndoItem(const WriteHistory::Change* newest);

    // A count as a number a person reads: "4,210".
    [[nodiscard]] static QString Count(std::int64_t count);
    // "1 byte", "4,210 bytes".
    [[nodiscard]] static QString ManyBytes(std::int64_t count);
    // The note for the translator beside each message of an exported script.
    [[nodiscard]] static QString ScriptNote(int bank, int index, std::int64_t bytes);
    [[nodiscard]] static QString ScriptCutNote(int bank, int index);
    [[nodiscard]] static QString Exported(const QString& fileName, int messages);
    // The script file could not be saved; `reason` is the system's.
    [[nodiscard]] static QString ExportFailed(const QString& fileName, const QString& reason);
    [[nodiscard]] static QString ExportRefused(const kyrel::Failure& failure);
    // A script refused as a whole, or a ROM that could not be read for it.
    [[nodiscard]] static QString ImportRefused(const QString& scriptName, const Script::ImportPlan& plan);
    // Why one entry is left out, after its line and context.
    [[nodiscard]] static QString LeftOutEntry(const Script::LeftOut& left);
    // The question before an import, and every entry left out with its reason for the box's details.
    [[nodiscard]] static QString ImportQuestion(const Script::ImportPlan& plan, const QString& scriptName,
                                                const QString& romName);
    [[nodiscard]] static QString ImportDetails(const Script::ImportPlan& plan);
    // An import that has nothing to write.
    [[nodiscard]] static QString NothingToImport(const Script::ImportPlan& plan, const QString& scriptName);
    // Why no patch was made, or nothing when one was.
    [[nodiscard]] static QString PatchRefused(const RomPatch::Made& made);
    // After a patch was saved: its name and size, what differs from the original, and whom it serves.
    [[nodiscard]] static QString PatchSaved(const QString& fileName, const RomPatch::Made& made);
    [[nodiscard]] static QString PatchNotSaved(const QString& fileName, const QString& reason);
    // After an import: what went in, or where it stopped.
    [[nodiscard]] static QString Imported(const Script::ImportPlan& plan, const kyrel::RunsResult& result);
    // What the user must know after "Copy as New Text", or nothing.
    [[nodiscard]] static QString Copied(const MessageSession::Copy& copy);
    // The "New Text" tooltip: how many bytes the text needs against the message read last, or what is wrong.
    // `typed` is the pane's text as encoded; `empty`, whether the pane holds nothing.
    [[nodiscard]] static QString NewTextSize(const kyrel::EncodedMessage& typed, bool empty,
                                             std::span<const std::uint8_t> readBytes);
};
