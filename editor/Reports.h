#pragma once

#include "codec/RomFile.h"
#include "codec/RomWriter.h"
#include "codec/TypedText.h"

#include <QCoreApplication>
#include <QString>

#include <cstdint>
#include <span>
#include <string_view>

// The sentences the main window shows about reads, writes and copies, built from values alone so that they can
// be checked without a window.
class Reports {
    Q_DECLARE_TR_FUNCTIONS(GameDialog)

public:
    // "1 byte", "2 bytes".
    [[nodiscard]] static QString Bytes(std::int64_t count);

    [[nodiscard]] static QString ReadFailed(const QString& reason);
    // Why a write needs the user's agreement: a new text longer than the message it replaces overwrites the next.
    [[nodiscard]] static QString LongerText(std::int64_t needed, std::int32_t start, std::int64_t oldBytes);
    // Why a write needs the user's agreement: the file is not laid out as the editor's positions assume.
    [[nodiscard]] static QString LayoutRisk(const QString& fileName, kyrel::RomLayout layout);
    // Why a write needs the user's agreement: characters the game has no code for are left out (empty: none are).
    [[nodiscard]] static QString LeftOut(std::u16string_view dropped);
    // One question for every reason a write needs the user's agreement.
    [[nodiscard]] static QString WriteQuestion(const QStringList& reasons);
    // The warning on loading a file that is not laid out as the editor's positions assume.
    [[nodiscard]] static QString LayoutWarning(const QString& fileName, kyrel::RomLayout layout, std::int64_t size);
    // A write that was refused (nothing written) or stopped after some bytes.
    [[nodiscard]] static QString WriteFailed(std::int32_t start, const kyrel::WriteResult& result, std::int64_t needed);
    // An undo that was refused (nothing restored) or stopped after some bytes.
    [[nodiscard]] static QString UndoFailed(std::int32_t start, const kyrel::WriteResult& result, std::int64_t count);
    // What the user must know after "Copy as New Text", or nothing. `needed` is what writing the copy back takes
    // from the message's first position `start`, in a file of `fileSize` bytes (negative when it is unknown).
    [[nodiscard]] static QString Copied(const kyrel::TypedText& copy, std::int32_t start, std::int64_t needed,
                                        std::int64_t fileSize);
    // The "New Text" tooltip: how many bytes the text needs against the message read last, or what is wrong.
    [[nodiscard]] static QString NewTextSize(const QString& text, std::span<const std::uint8_t> readBytes);
};
