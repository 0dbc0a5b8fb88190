#pragma once

#include "codec/CharTable.h"
#include "codec/MessageEncoder.h"
#include "codec/MessageReader.h"
#include "codec/RomWriter.h"
#include "editor/FsPath.h"
#include "editor/RomPatch.h"
#include "editor/Script.h"
#include "editor/WriteHistory.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

// The editor's state and its steps on the ROM file, apart from any window: the ROM's path, the reader's
// positions, the bank start table, the character table and the encoder's state, the bytes of the last read;
// reading a message, planning a write and writing it. The main window owns one and shows what it returns.
class MessageSession : public QObject {
    Q_OBJECT
public:
    // Entries of the bank start table; entries 1 and 2 are the two text banks.
    static constexpr int BankEntries = 4;

    // Builds the character table and the bank start table; no ROM is loaded yet.
    explicit MessageSession(QObject* parent = nullptr);

    [[nodiscard]] const QString& RomPath() const { return m_romPath; }
    [[nodiscard]] bool RomLoaded() const { return !m_romPath.isEmpty(); }
    [[nodiscard]] std::int32_t ReadPos() const { return m_positions.ReadPos; }
    [[nodiscard]] std::int32_t NextMessagePos() const { return m_positions.NextMessagePos; }
    [[nodiscard]] std::int32_t ViewStartPos() const { return m_positions.ViewStartPos; }
    [[nodiscard]] std::uint8_t ArgumentByte() const { return m_positions.ArgumentByte; }
    [[nodiscard]] std::int32_t BankStart(int entry) const { return m_bankStart.at(static_cast<std::size_t>(entry)); }
    [[nodiscard]] const kyrel::CharTable& CharTable() const { return m_charTable; }
    [[nodiscard]] const kyrel::EncoderState& EncoderState() const { return m_encoder; }
    // The bytes of the last read that worked, argument bytes included, from ViewStartPos on.
    [[nodiscard]] const std::vector<std::uint8_t>& ReadBytes() const { return m_readBytes; }

    // A ROM chosen by the user: writes into it ask again whether its layout is what the positions assume.
    void SetRomPath(const QString& path);
    // A ROM whose size says it is not laid out as the editor's positions assume: its layout and size. Nothing
    // when it is, or when its size cannot be known.
    struct LayoutRisk {
        kyrel::RomLayout layout = kyrel::RomLayout::Headered;
        std::int64_t size = 0;
    };
    [[nodiscard]] std::optional<LayoutRisk> RomLayoutRisk() const;
    void SetReadPos(std::int32_t position) { m_positions.ReadPos = position; }
    // The index arrow's step: the next read starts where the last one said the next message does.
    void StepToNextMessage() { m_positions.ReadPos = m_positions.NextMessagePos; }

    struct Read {
        QString text;           // as the "ROM Text" pane shows it
        kyrel::Failure failure; // why nothing was read; the state is then as it was
        [[nodiscard]] bool ok() const { return failure.ok(); }
    };
    // Decodes the message at ReadPos of the ROM file under the view's stop rule, and moves the positions on.
    [[nodiscard]] Read ReadMessage(const kyrel::StopRule& rule);

    // A message as the index view names it.
    struct MessageName {
        int bank = 0;
        int index = 0;
    };
    // A write worked out before any byte goes to the file.
    struct WritePlan {
        std::int32_t start = 0;
        std::vector<std::uint8_t> bytes;
        // Refused, nothing may be written: a tag's argument that is no number, or a write the file cannot take.
        std::optional<kyrel::EncodeError> badArgument;
        kyrel::Failure refused;
        // The user must agree first: characters without a code are left out; the file's layout is not what the
        // positions assume; the message written over has only `oldBytes`, fewer than the new text needs.
        std::u16string dropped;
        std::optional<kyrel::RomLayout> layout;
        std::optional<std::int64_t> oldBytes;
        // When asked for, with `oldBytes`: the messages the index up arrow reaches that begin in the bytes the
        // write runs over after the message written over, in bank and index order.
        std::vector<MessageName> overwritten;

        [[nodiscard]] bool Refused() const { return badArgument || !refused.ok(); }
        [[nodiscard]] bool Asks() const { return !dropped.empty() || layout || oldBytes; }
    };
    // Encodes the typed text (never empty, in the encoder's form) once, and checks everything a write of it
    // needs, touching nothing. `nameOverwritten`: a longer text names the messages it overwrites (index view).
    [[nodiscard]] WritePlan PlanWrite(const std::u16string& text, bool nameOverwritten = false);
    // Writes a plan that was not refused, over the message read last, and keeps what it replaced for UndoWrite.
    // A failure tells how many bytes went in before a write stopped, or that it did not start.
    [[nodiscard]] kyrel::WriteResult Write(const WritePlan& plan, const kyrel::ByteWatcher& watcher = {});

    // Every message of the ROM as a script for a translation tool.
    [[nodiscard]] Script::Exported ExportScript(const QDateTime& now);
    // What importing a script file writes into the ROM, touching nothing.
    [[nodiscard]] Script::ImportPlan PlanImport(const QString& scriptPath);
    // Writes an import plan that was not refused with one open of the ROM, and keeps what it replaced as one
    // change for UndoWrite. The runs written whole are those of the result's count.
    [[nodiscard]] kyrel::RunsResult Import(const Script::ImportPlan& plan, const QString& scriptName);

    // A patch from the original ROM at a path to this ROM as its file holds it now.
    [[nodiscard]] RomPatch::Made MakePatch(const QString& originalPath, kyrel::PatchFormat format);

    // The writes and imports not yet taken back.
    [[nodiscard]] const WriteHistory& History() const { return m_history; }
    // Where the newest change not yet taken back began; nothing when there is none.
    [[nodiscard]] std::optional<std::int32_t> UndoPosition() const;
    // Puts back the bytes the newest change replaced, if the file still holds what it wrote. A failure tells
    // how far an undo got before it stopped, or that it was refused (the change can be taken back again).
    [[nodiscard]] WriteHistory::Undo UndoWrite(const kyrel::ByteWatcher& watcher = {});
    // Every undo ends so: the next read is the message at the position restored.
    void EndUndo(std::int32_t position) { m_positions.ReadPos = position; }
    // Every write attempt ends so: the encoder's break state starts afresh, and the next read is the message at
    // the write's start.
    void EndWrite();

    // The typed form of the message read last, for "New Text", and what the user must know before writing it
    // back: whether the read reached the end code, and otherwise what writing the copy back takes (`needed` bytes
    // from `start`, in a file of `fileSize` bytes, negative when it is unknown).
    struct Copy {
        QString text;
        bool complete = true;
        std::int32_t start = 0;
        std::int64_t needed = 0;
        std::int64_t fileSize = -1;
    };
    [[nodiscard]] Copy CopyAsNewText() const;

signals:
    // Another ROM was chosen, or bytes of this one were written: whatever was read from it may have moved.
    void RomChanged();

private:
    QString m_romPath;
    kyrel::ReaderState m_positions;
    std::array<std::int32_t, BankEntries> m_bankStart{};
    kyrel::CharTable m_charTable;
    kyrel::EncoderState m_encoder;
    std::vector<std::uint8_t> m_readBytes;
    WriteHistory m_history;
    // The user agreed to write into this ROM although its layout is not what the positions assume.
    bool m_layoutAgreed = false;
};
