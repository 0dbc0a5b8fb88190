#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kyrel {

// One entry of a gettext PO file. Every text is UTF-8.
struct PoEntry {
    std::string context{}; // msgctxt
    bool hasContext = false;
    std::string id{};                      // msgid
    std::string translation{};             // msgstr
    std::vector<std::string> comments{};   // "# " translator's comments, one line each
    std::vector<std::string> extracted{};  // "#." comments, one line each
    std::vector<std::string> references{}; // "#:" file positions, one each
    std::vector<std::string> flags{};      // "#," flags, such as "fuzzy"
    bool obsolete = false;                 // the entry's lines begin with "#~"
    int line = 0;                          // 1-based line of the msgid keyword, where it was read

    [[nodiscard]] bool Fuzzy() const;

    friend bool operator==(const PoEntry&, const PoEntry&) = default;
};

// A file larger than this is refused before it is read. A script of every message is well below 1 MiB; a file of
// nothing but one-byte comment lines, the worst case, takes about 18 bytes of memory for each of its bytes.
inline constexpr std::size_t MaxPoBytes = 16 * 1024 * 1024;

enum class PoProblem {
    TooLarge,       // the file holds more than MaxPoBytes bytes
    Unexpected,     // value: the keyword or text that cannot stand there ("#~" for an entry only partly obsolete;
                    // empty at the end of the file)
    MissingString,  // value: the keyword that is not followed by a quoted string
    MissingMsgstr,  // an entry without its msgstr; line: its msgid
    UnclosedString, // a quoted string that does not end on its line
    BadEscape,      // value: the escape as written: unknown ("\q"), a byte above 255 or the byte 0
    PluralForms,    // an entry with msgid_plural, which a script does not use; line: the msgid_plural
    NotUtf8,        // the header names another character set; value: its name; line: the header's msgid
    InvalidUtf8,    // bytes that are not UTF-8 text (or a NUL byte), or escapes that make such bytes
};

struct PoFailure {
    PoProblem problem = PoProblem::Unexpected;
    int line = 0; // 1-based; 0 for TooLarge
    std::string value;
};

struct [[nodiscard]] PoRead {
    // In the order of the file. The header, the entry with an empty msgid and no msgctxt, stays among them where
    // the file has it: first, in files that gettext's tools and WritePo write. Obsolete entries are kept and
    // marked; obsolete entries with plural forms are left out.
    std::vector<PoEntry> entries;
    std::optional<PoFailure> failure; // when set, entries is empty
    [[nodiscard]] bool ok() const { return !failure; }
};

// Reads a PO file in UTF-8 as this program writes it and as gettext's tools and translation programs rewrite it:
// strings split over lines, C escapes, every kind of comment, "#|" previous strings (read and left out), "#~"
// obsolete entries, a byte-order mark, CR LF line ends, blank lines and trailing blanks. A header whose
// Content-Type names a character set other than UTF-8 is refused; without a header or a charset the file is
// taken as UTF-8. Refuses at the first problem in the order of the file, except that the header's character set
// is looked at before any bytes that are not UTF-8 in or before the header. Time and memory grow linearly with
// the size of the file.
PoRead ReadPo(std::string_view fileBytes);

// Writes the entries as a PO file that ReadPo reads back as the same entries and gettext's tools accept (unless a
// string holds the byte 0x04, which msgfmt refuses: it keeps it for its own use in compiled catalogs). The
// header, when there is one, is the first entry, with an empty id and no context; the caller builds its
// translation. Strings with a line end before their last character are written as gettext writes them: an empty
// string after the keyword, then one line for each piece up to and including a line end. Lines are not wrapped
// otherwise. Backslash, quote, line end and tab are escaped by name, the other control characters in octal.
// Comments are written one per line (a comment holding line ends as several), references on one "#:" line,
// flags on one "#," line. To read back the same, each string must be UTF-8 without NUL, comments without blanks
// at their end, references without blanks, flags without commas and without blanks at their ends.
std::string WritePo(const std::vector<PoEntry>& entries);

} // namespace kyrel
