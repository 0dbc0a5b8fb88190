#pragma once

#include "codec/CharTable.h"
#include "codec/Failure.h"
#include "codec/MessageEncoder.h"
#include "codec/PoFile.h"
#include "codec/RomWriter.h"

#include <QByteArray>
#include <QDateTime>

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The whole script of a ROM as a gettext PO file, out and back in: one entry for each message the index arrow
// reaches, named by its position and length, so that an import puts each translation back in its own place.
class Script {
public:
    // A message of the ROM, as the Messages window lists it.
    struct Message {
        int bank = 0;
        int index = 0;
        std::int32_t position = 0;
        std::int64_t bytes = 0; // end code and argument bytes included
        bool cut = false;       // the index view cuts it after 1000 bytes: no end code within them

        friend bool operator==(const Message&, const Message&) = default;
    };

    struct Exported {
        QByteArray file;
        int messages = 0;
        kyrel::Failure failure; // the ROM could not be read, or holds neither bank
    };
    // Every message of the ROM as a PO template: a header, then for each message its position and length as the
    // context, a note for the translator, the text as "Copy as New Text" gives it as the msgid, and an empty
    // msgstr.
    [[nodiscard]] static Exported Export(const std::filesystem::path& rom,
                                         const std::array<std::int32_t, 2>& bankStarts, kyrel::CharTable& table,
                                         const QDateTime& now);

    // Why an entry of a script is not imported.
    enum class Reason {
        Fuzzy,         // marked as needing review
        NoSuchMessage, // no message of this ROM starts at the context's position with its length
        Repeated,      // an earlier entry translates the same message
        CutMessage,    // the index view cuts the message after 1000 bytes: exported for reference only
        BadArgument,   // see error
        TooLong,       // see needed and message.bytes
        EndCodeInside, // an end code before the last byte would move every later message one index on
    };
    struct LeftOut {
        int line = 0; // of the entry's msgid
        std::string context;
        Reason reason = Reason::NoSuchMessage;
        Message message;         // when the context names one of this ROM
        std::int64_t needed = 0; // TooLong: the bytes the translation needs, end code included
        std::optional<kyrel::EncodeError> error;
    };
    struct Translation {
        int line = 0;
        Message message;
        std::vector<std::uint8_t> bytes; // exactly message.bytes long
        std::u16string dropped;          // characters without a code, left out
        bool changes = false;            // the ROM does not hold these bytes already
    };
    struct ImportPlan {
        kyrel::Failure failure;                  // the ROM could not be read
        std::optional<kyrel::PoFailure> refused; // the script as a whole: nothing of it is imported
        std::vector<Translation> translations;   // in the order of the script
        std::vector<LeftOut> leftOut;            // in the order of the script
        std::vector<kyrel::ByteRun> runs;        // the bytes that differ, in the order of the translations
        std::vector<std::size_t> runTranslation; // for each run, the translation it belongs to

        [[nodiscard]] bool Refused() const { return !failure.ok() || refused.has_value(); }
        [[nodiscard]] int Changing() const;
        // The bytes that differ: the runs also hold the few equal bytes between two changes.
        [[nodiscard]] std::int64_t BytesChanging() const;
    };
    // Decides, touching nothing, what importing the script's translations into the ROM writes: each translated,
    // not fuzzy entry whose context names a message the index arrow reaches is encoded as "Write New Text" encodes
    // and padded with blanks to the message's length, keeping its end code in its last byte.
    [[nodiscard]] static ImportPlan PlanImport(std::string_view script, const std::filesystem::path& rom,
                                               const std::array<std::int32_t, 2>& bankStarts, kyrel::CharTable& table);
};
