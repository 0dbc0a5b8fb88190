#pragma once

#include "codec/Failure.h"
#include "codec/MessageEncoder.h"
#include "codec/RomFile.h"
#include "codec/RomWriter.h"
#include "editor/MessageSession.h"

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
    [[nodiscard]] static QString LongerText(std::int64_t needed, std::int32_t start, std::int64_t oldBytes);
    // Why a write needs the user's agreement: the file is not laid out as the editor's positions assume.
    [[nodiscard]] static QString LayoutRisk(const QString& fileName, kyrel::RomLayout layout);
    // Why a write needs the user's agreement: characters the game has no code for are left out (empty: none are).
    [[nodiscard]] static QString LeftOut(std::u16string_view dropped);
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
    // An undo that was refused (nothing restored) or stopped after some bytes.
    [[nodiscard]] static QString UndoFailed(std::int32_t start, const kyrel::WriteResult& result, std::int64_t count);
    // What the user must know after "Copy as New Text", or nothing.
    [[nodiscard]] static QString Copied(const MessageSession::Copy& copy);
    // The "New Text" tooltip: how many bytes the text needs against the message read last, or what is wrong.
    // `typed` is the pane's text as encoded; `empty`, whether the pane holds nothing.
    [[nodiscard]] static QString NewTextSize(const kyrel::EncodedMessage& typed, bool empty,
                                             std::span<const std::uint8_t> readBytes);
};
