#include "codec/PoFile.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace kyrel {

bool PoEntry::Fuzzy() const {
    return std::find(flags.begin(), flags.end(), "fuzzy") != flags.end();
}

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
// The most bytes of the file that a failure quotes as its value.
constexpr std::size_t ShownBytes = 32;

// Blanks between tokens, at the ends of comments and between references. CR makes CR LF line ends blanks
// before the line end.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The length of the UTF-8 character at the front of the bytes; 0 where they hold none, or a NUL.
std::size_t CharacterLength(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b == 0)
        return 0;
    if (b < 0x80)
        return 1;
    std::size_t length;
    char32_t c;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        length = 3;
        c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        c = b & 0x07;
    } else {
        return 0; // a continuation byte, an overlong start or beyond U+10FFFF
    }
    if (s.size() - i < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (next & 0x3F);
    }
    if ((length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

// The offset of the first byte that is no part of UTF-8 text, or npos.
std::size_t FirstBadByte(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        // Most of a script is ASCII.
        const auto b = static_cast<unsigned char>(s[i]);
        if (b != 0 && b < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = CharacterLength(s, i);
        if (length == 0)
            return i;
        i += length;
    }
    return std::string_view::npos;
}

// Bytes of the file for a failure's value: at most ShownBytes, whole UTF-8 characters only.
std::string Shown(std::string_view s) {
    std::size_t end = 0;
    while (end < s.size()) {
        const std::size_t length = CharacterLength(s, end);
        if (length == 0 || end + length > ShownBytes)
            break;
        end += length;
    }
    return std::string(s.substr(0, end));
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

enum class TokenKind { End, Keyword, String, Comment };
enum class Keyword { Msgctxt, Msgid, MsgidPlural, Msgstr, MsgstrN };
enum class CommentKind { Translator, Extracted, Reference, Flags };

struct Token {
    TokenKind kind = TokenKind::End;
    Keyword keyword = Keyword::Msgid;
    CommentKind comment = CommentKind::Translator;
    std::string text; // a string's value, a comment's text, a keyword as written
    int line = 0;
    bool obsolete = false; // after "#~" on its line
    bool previous = false; // after "#|" (or "#~|") on its line
};

// Splits the file into keywords, strings and comment lines, as gettext does: line ends count only in comments,
// which run to the end of their line, and in strings, which may not hold one.
class Lexer {
public:
    explicit Lexer(std::string_view text) : m_text(text) {
        const std::size_t bad = FirstBadByte(text);
        if (bad != std::string_view::npos)
            m_badLine = 1 + static_cast<int>(std::count(text.begin(), text.begin() + bad, '\n'));
    }

    // The next token; false once a failure is set.
    bool Next(Token& token);

    // From now on, a line with bytes that are not UTF-8 is refused where the lexer reaches it; false when it has
    // reached one already.
    bool Settle() {
        m_settled = true;
        return CheckLine();
    }

    std::optional<PoFailure> failure;

private:
    bool Fail(PoProblem problem, int line, std::string value = {}) {
        failure = PoFailure{problem, line, std::move(value)};
        return false;
    }
    bool CheckLine() {
        if (m_settled && m_badLine != 0 && m_line >= m_badLine)
            return Fail(PoProblem::InvalidUtf8, m_badLine);
        return true;
    }
    [[nodiscard]] char At(std::size_t i) const { return i < m_text.size() ? m_text[i] : '\n'; }
    [[nodiscard]] std::size_t LineEnd() const {
        const std::size_t end = m_text.find('\n', m_pos);
        return end == std::string_view::npos ? m_text.size() : end;
    }
    void Start(Token& token, TokenKind kind) const {
        token.kind = kind;
        token.text.clear();
        token.line = m_line;
        token.obsolete = m_obsolete;
        token.previous = m_previous;
    }
    bool Comment(Token& token);
    bool String(Token& token);
    bool Escape(std::string& into);
    bool Word(Token& token);

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_line = 1;
    int m_badLine = 0; // the first line with bytes that are not UTF-8 text; 0 for none
    bool m_settled = false;
    bool m_obsolete = false;
    bool m_previous = false;
};

bool Lexer::Next(Token& token) {
    for (;;) {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos]))
            ++m_pos;
        if (m_pos == m_text.size()) {
            Start(token, TokenKind::End);
            token.obsolete = token.previous = false; // a last line of "#~" or "#|" alone
            // The line that holds the last byte: a line end at the very end begins no further line.
            if (!m_text.empty() && m_text.back() == '\n' && m_line > 1)
                --token.line;
            return true;
        }
        const char c = m_text[m_pos];
        if (c == '\n') {
            ++m_pos;
            ++m_line;
            m_obsolete = m_previous = false;
            if (!CheckLine())
                return false;
            continue;
        }
        if (c == '#') {
            // "#~" and "#|" are no comments: what follows them on the line is read as keywords and strings.
            if (At(m_pos + 1) == '~') {
                m_obsolete = true;
                m_pos += 2;
                if (At(m_pos) == '|') {
                    m_previous = true;
                    ++m_pos;
                }
                continue;
            }
            if (At(m_pos + 1) == '|') {
                m_previous = true;
                m_pos += 2;
                continue;
            }
            return Comment(token);
        }
        if (c == '"')
            return String(token);
        if (IsAsciiLetter(c))
            return Word(token);
        std::size_t end = m_pos;
        while (end < m_text.size() && !IsBlank(m_text[end]) && m_text[end] != '\n')
            ++end;
        return Fail(PoProblem::Unexpected, m_line, Shown(m_text.substr(m_pos, end - m_pos)));
    }
}

bool Lexer::Comment(Token& token) {
    Start(token, TokenKind::Comment);
    const std::size_t end = LineEnd();
    std::string_view text = m_text.substr(m_pos + 1, end - m_pos - 1);
    m_pos = end;
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);

    token.comment = CommentKind::Translator;
    if (!text.empty()) {
        switch (text.front()) {
        case '.':
            token.comment = CommentKind::Extracted;
            break;
        case ':':
            token.comment = CommentKind::Reference;
            break;
        case ',':
            token.comment = CommentKind::Flags;
            break;
        default:
            break;
        }
        if (token.comment != CommentKind::Translator)
            text.remove_prefix(1);
    }
    // "# text" and "#. text": the one blank after the mark is the writer's, any further ones the comment's.
    if (!text.empty() && text.front() == ' ' &&
        (token.comment == CommentKind::Translator || token.comment == CommentKind::Extracted))
        text.remove_prefix(1);
    token.text = text;
    return true;
}

bool Lexer::String(Token& token) {
    Start(token, TokenKind::String);
    ++m_pos; // the opening quote
    for (;;) {
        const std::size_t stop = m_text.find_first_of("\"\\\n", m_pos);
        if (stop == std::string_view::npos || m_text[stop] == '\n') {
            m_pos = stop == std::string_view::npos ? m_text.size() : stop;
            return Fail(PoProblem::UnclosedString, m_line);
        }
        token.text.append(m_text.substr(m_pos, stop - m_pos));
        m_pos = stop;
        if (m_text[stop] == '"') {
            ++m_pos;
            return true;
        }
        if (!Escape(token.text))
            return false;
    }
}

// The escape at m_pos, a backslash: C's, as gettext reads them. Octal takes up to three digits, hexadecimal as
// many as follow; a byte 0 or above 255 is refused, as gettext would cut or change the string there.
bool Lexer::Escape(std::string& into) {
    const std::size_t begin = m_pos;
    const char c = At(m_pos + 1);
    m_pos += 2;
    switch (c) {
    case 'n':
        into += '\n';
        return true;
    case 't':
        into += '\t';
        return true;
    case '"':
    case '\\':
        into += c;
        return true;
    case 'a':
        into += '\a';
        return true;
    case 'b':
        into += '\b';
        return true;
    case 'f':
        into += '\f';
        return true;
    case 'r':
        into += '\r';
        return true;
    case 'v':
        into += '\v';
        return true;
    case '\n':
        m_pos = begin + 1;
        return Fail(PoProblem::UnclosedString, m_line);
    default:
        break;
    }

    unsigned value = 0;
    if (c >= '0' && c <= '7') {
        value = static_cast<unsigned>(c - '0');
        for (int digits = 1; digits < 3 && At(m_pos) >= '0' && At(m_pos) <= '7'; ++digits)
            value = value * 8 + static_cast<unsigned>(m_text[m_pos++] - '0');
    } else if (c == 'x') {
        auto digit = [](char d) {
            return d >= '0' && d <= '9'   ? d - '0'
                   : d >= 'a' && d <= 'f' ? d - 'a' + 10
                   : d >= 'A' && d <= 'F' ? d - 'A' + 10
                                          : -1;
        };
        if (digit(At(m_pos)) < 0)
            return Fail(PoProblem::BadEscape, m_line, Shown(m_text.substr(begin, 2)));
        while (digit(At(m_pos)) >= 0)
            value = std::min(value * 16 + static_cast<unsigned>(digit(m_text[m_pos++])), 256u);
    } else {
        // Unknown: the backslash and the character after it.
        const std::size_t length = std::max<std::size_t>(1, CharacterLength(m_text, begin + 1));
        return Fail(PoProblem::BadEscape, m_line, Shown(m_text.substr(begin, 1 + length)));
    }
    if (value == 0 || value > 255)
        return Fail(PoProblem::BadEscape, m_line, Shown(m_text.substr(begin, m_pos - begin)));
    into += static_cast<char>(value);
    return true;
}

bool Lexer::Word(Token& token) {
    Start(token, TokenKind::Keyword);
    const std::size_t begin = m_pos;
    while (m_pos < m_text.size() && (IsAsciiLetter(m_text[m_pos]) || (m_text[m_pos] >= '0' && m_text[m_pos] <= '9') ||
                                     m_text[m_pos] == '_' || m_text[m_pos] == '[' || m_text[m_pos] == ']'))
        ++m_pos;
    const std::string_view word = m_text.substr(begin, m_pos - begin);
    token.text = Shown(word);
    if (word == "msgctxt")
        token.keyword = Keyword::Msgctxt;
    else if (word == "msgid")
        token.keyword = Keyword::Msgid;
    else if (word == "msgid_plural")
        token.keyword = Keyword::MsgidPlural;
    else if (word == "msgstr")
        token.keyword = Keyword::Msgstr;
    else if (word.size() > 8 && word.substr(0, 7) == "msgstr[" && word.back() == ']' &&
             std::all_of(word.begin() + 7, word.end() - 1, [](char d) { return d >= '0' && d <= '9'; }))
        token.keyword = Keyword::MsgstrN;
    else
        return Fail(PoProblem::Unexpected, token.line, token.text);
    return true;
}

// The character set the header's Content-Type names, found as gettext finds it; empty when it names none.
std::string_view HeaderCharset(std::string_view header) {
    constexpr std::string_view Key = "charset=";
    const std::size_t at = header.find(Key);
    if (at == std::string_view::npos)
        return {};
    const std::string_view rest = header.substr(at + Key.size());
    return rest.substr(0, rest.find_first_of(" \t\r\n;"));
}

class Parser {
public:
    explicit Parser(std::string_view text) : m_lexer(text) {}

    PoRead Run() {
        PoRead read;
        if (!Entries(read.entries)) {
            read.entries.clear();
            read.failure = m_failure ? m_failure : m_lexer.failure;
        }
        return read;
    }

private:
    bool Fail(PoProblem problem, int line, std::string value = {}) {
        m_failure = PoFailure{problem, line, std::move(value)};
        return false;
    }
    bool Advance() { return m_lexer.Next(m_token); }
    [[nodiscard]] bool Is(Keyword keyword) const {
        return m_token.kind == TokenKind::Keyword && m_token.keyword == keyword && !m_token.previous;
    }
    // What stands at the token, for a failure: the keyword, the string in quotes, nothing at the end.
    [[nodiscard]] std::string Found() const;
    bool Entries(std::vector<PoEntry>& into);
    bool Entry(std::vector<PoEntry>& into);
    bool Strings(std::string& into);
    bool AsObsoleteAsEntry();
    bool SkipPluralForms();
    bool Settle();
    void AddComment();

    Lexer m_lexer;
    Token m_token;
    PoEntry m_entry; // the comments read so far, then the entry they belong to
    bool m_settled = false;
    std::optional<PoFailure> m_failure;
};

std::string Parser::Found() const {
    switch (m_token.kind) {
    case TokenKind::End:
        return {};
    case TokenKind::String:
        return Shown('"' + m_token.text + '"');
    default:
        return m_token.text;
    }
}

bool Parser::Entries(std::vector<PoEntry>& into) {
    if (!Advance())
        return false;
    for (;;) {
        if (m_token.previous) {
            // "#|": the strings before msgmerge's changes, of no use here.
            if (!Advance())
                return false;
            continue;
        }
        switch (m_token.kind) {
        case TokenKind::End:
            return Settle(); // comments after the last entry belong to none
        case TokenKind::Comment:
            AddComment();
            if (!Advance())
                return false;
            break;
        case TokenKind::String:
            return Fail(PoProblem::Unexpected, m_token.line, Found());
        case TokenKind::Keyword:
            if (m_token.keyword != Keyword::Msgctxt && m_token.keyword != Keyword::Msgid)
                return Fail(PoProblem::Unexpected, m_token.line, Found());
            if (!Entry(into))
                return false;
            break;
        }
    }
}

void Parser::AddComment() {
    std::string_view text = m_token.text;
    switch (m_token.comment) {
    case CommentKind::Translator:
        m_entry.comments.emplace_back(text);
        return;
    case CommentKind::Extracted:
        m_entry.extracted.emplace_back(text);
        return;
    case CommentKind::Reference:
    case CommentKind::Flags: {
        const bool flags = m_token.comment == CommentKind::Flags;
        while (!text.empty()) {
            std::size_t end = 0;
            while (end < text.size() && (flags ? text[end] != ',' : !IsBlank(text[end])))
                ++end;
            std::string_view piece = text.substr(0, end);
            text.remove_prefix(std::min(end + 1, text.size()));
            while (!piece.empty() && IsBlank(piece.front()))
                piece.remove_prefix(1);
            while (!piece.empty() && IsBlank(piece.back()))
                piece.remove_suffix(1);
            if (!piece.empty())
                (flags ? m_entry.flags : m_entry.references).emplace_back(piece);
        }
        return;
    }
    }
}

// The keyword at the token and the strings after it, joined.
bool Parser::Strings(std::string& into) {
    const Token keyword = m_token;
    if (!Advance())
        return false;
    bool any = false;
    while (m_token.kind == TokenKind::String && !m_token.previous) {
        if (m_token.obsolete != keyword.obsolete)
            return Fail(PoProblem::Unexpected, m_token.line, "#~");
        into += m_token.text;
        any = true;
        if (!Advance())
            return false;
    }
    if (!any)
        return Fail(PoProblem::MissingString, keyword.line, keyword.text);
    return true;
}

bool Parser::Entry(std::vector<PoEntry>& into) {
    PoEntry& entry = m_entry;
    entry.obsolete = m_token.obsolete;
    if (Is(Keyword::Msgctxt)) {
        entry.hasContext = true;
        if (!Strings(entry.context))
            return false;
        if (!Is(Keyword::Msgid))
            return Fail(PoProblem::Unexpected, m_token.line, Found());
        if (!AsObsoleteAsEntry())
            return false;
    }
    entry.line = m_token.line;
    if (!Strings(entry.id))
        return false;
    if (Is(Keyword::MsgidPlural)) {
        if (!AsObsoleteAsEntry())
            return false;
        if (!entry.obsolete)
            return Fail(PoProblem::PluralForms, m_token.line);
        if (!SkipPluralForms())
            return false;
        m_entry = PoEntry{};
        return Settle();
    }
    if (!Is(Keyword::Msgstr)) {
        if (Is(Keyword::MsgstrN))
            return Fail(PoProblem::Unexpected, m_token.line, Found());
        return Fail(PoProblem::MissingMsgstr, entry.line);
    }
    if (!AsObsoleteAsEntry())
        return false;
    const int translationLine = m_token.line;
    if (!Strings(entry.translation))
        return false;

    // The header names the character set of the file; its strings are looked at after that.
    if (!entry.obsolete && !entry.hasContext && entry.id.empty()) {
        const std::string_view charset = HeaderCharset(entry.translation);
        // "CHARSET" is the blank a template leaves for the translator to fill.
        if (!charset.empty() && charset != "CHARSET" && !EqualsIgnoringCase(charset, "UTF-8"))
            return Fail(PoProblem::NotUtf8, entry.line, Shown(charset));
    }
    if (!Settle())
        return false;
    if (FirstBadByte(entry.context) != std::string::npos || FirstBadByte(entry.id) != std::string::npos)
        return Fail(PoProblem::InvalidUtf8, entry.line);
    if (FirstBadByte(entry.translation) != std::string::npos)
        return Fail(PoProblem::InvalidUtf8, translationLine);
    into.push_back(std::move(entry));
    m_entry = PoEntry{};
    return true;
}

// A keyword of the entry must be as obsolete as its first: gettext refuses an entry only partly after "#~".
bool Parser::AsObsoleteAsEntry() {
    if (m_token.obsolete != m_entry.obsolete)
        return Fail(PoProblem::Unexpected, m_token.line, "#~");
    return true;
}

// After an obsolete msgid: its msgid_plural and msgstr[N] strings, read and left out.
bool Parser::SkipPluralForms() {
    std::string ignored;
    if (!Strings(ignored))
        return false;
    bool any = false;
    for (;;) {
        if (!Is(Keyword::MsgstrN))
            return any ? true : Fail(PoProblem::MissingMsgstr, m_entry.line);
        if (!AsObsoleteAsEntry())
            return false;
        if (!Strings(ignored))
            return false;
        any = true;
    }
}

// Once the first entry is read, and so the header if the file has one, bytes that are not UTF-8 are refused.
bool Parser::Settle() {
    if (m_settled)
        return true;
    m_settled = true;
    return m_lexer.Settle();
}

void PutEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            const auto b = static_cast<unsigned char>(c);
            if (b < 0x20 || b == 0x7F) {
                // Octal, not "\r" or "\a": gettext warns about those named escapes.
                out += '\\';
                out += static_cast<char>('0' + (b >> 6));
                out += static_cast<char>('0' + ((b >> 3) & 7));
                out += static_cast<char>('0' + (b & 7));
            } else {
                out += c;
            }
        }
    }
}

void PutString(std::string& out, std::string_view prefix, std::string_view keyword, std::string_view text) {
    out += prefix;
    out += keyword;
    const std::size_t lineEnd = text.find('\n');
    if (lineEnd == std::string_view::npos || lineEnd + 1 == text.size()) {
        out += " \"";
        PutEscaped(out, text);
        out += "\"\n";
        return;
    }
    out += " \"\"\n";
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
        out += prefix;
        out += '"';
        PutEscaped(out, text.substr(0, end));
        out += "\"\n";
        text.remove_prefix(end);
    }
}

void PutComments(std::string& out, std::string_view mark, const std::vector<std::string>& comments) {
    for (std::string_view comment : comments) {
        for (;;) {
            const std::size_t end = comment.find('\n');
            const std::string_view line = comment.substr(0, end);
            out += mark;
            if (!line.empty()) {
                out += ' ';
                out += line;
            }
            out += '\n';
            if (end == std::string_view::npos)
                break;
            comment.remove_prefix(end + 1);
        }
    }
}

void PutList(std::string& out, std::string_view mark, std::string_view separator,
             const std::vector<std::string>& items) {
    if (items.empty())
        return;
    out += mark;
    for (std::size_t i = 0; i < items.size(); ++i) {
        out += i == 0 ? " " : separator;
        out += items[i];
    }
    out += '\n';
}

} // namespace

PoRead ReadPo(std::string_view fileBytes) {
    if (fileBytes.size() > MaxPoBytes)
        return PoRead{{}, PoFailure{PoProblem::TooLarge, 0, {}}};
    if (fileBytes.substr(0, ByteOrderMark.size()) == ByteOrderMark)
        fileBytes.remove_prefix(ByteOrderMark.size());
    return Parser(fileBytes).Run();
}

std::string WritePo(const std::vector<PoEntry>& entries) {
    std::string out;
    for (const PoEntry& entry : entries) {
        if (!out.empty())
            out += '\n';
        PutComments(out, "#", entry.comments);
        PutComments(out, "#.", entry.extracted);
        PutList(out, "#:", " ", entry.references);
        PutList(out, "#,", ", ", entry.flags);
        const std::string_view prefix = entry.obsolete ? "#~ " : "";
        if (entry.hasContext)
            PutString(out, prefix, "msgctxt", entry.context);
        PutString(out, prefix, "msgid", entry.id);
        PutString(out, prefix, "msgstr", entry.translation);
    }
    return out;
}

} // namespace kyrel
