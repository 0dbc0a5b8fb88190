#include "tests/support/SyntheticRom.h"

#include "codec/MessageEncoder.h"
#include "codec/MessageReader.h"

#include <fstream>
#include <stdexcept>

namespace kyrel::testing {

SyntheticRom::SyntheticRom(std::size_t size, std::uint8_t fill) : m_bytes(size, fill) {}

std::int32_t SyntheticRom::Put(std::int32_t position, const std::vector<std::uint8_t>& bytes) {
    if (position < 1 || static_cast<std::size_t>(position - 1) + bytes.size() > m_bytes.size())
        throw std::out_of_range("bytes do not fit in the synthetic ROM");
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + (position - 1));
    return position + static_cast<std::int32_t>(bytes.size());
}

std::int32_t SyntheticRom::PutText(std::int32_t position, const std::u16string& text) {
    const EncodedMessage message = EncodeToBytes(text);
    if (!message.ok())
        throw std::invalid_argument("text for the synthetic ROM does not encode");
    return Put(position, message.bytes);
}

std::int32_t SyntheticRom::PutTexts(std::int32_t position, const std::vector<std::u16string>& texts) {
    for (const auto& text : texts)
        position = PutText(position, text);
    return position;
}

Status SyntheticRom::Save(const std::filesystem::path& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(m_bytes.data()), static_cast<std::streamsize>(m_bytes.size()));
    out.close();
    if (!out)
        return {"Cannot write \"" + PathText(path) + "\"."};
    return {};
}

std::vector<std::uint8_t> HexBytes(std::string_view hex) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        throw std::invalid_argument("not a hexadecimal digit in a byte list");
    };
    std::vector<std::uint8_t> bytes;
    std::size_t i = 0;
    while (i < hex.size()) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        if (i + 1 >= hex.size() || hex[i + 1] == ' ')
            throw std::invalid_argument("a byte needs two hexadecimal digits");
        bytes.push_back(static_cast<std::uint8_t>(digit(hex[i]) * 16 + digit(hex[i + 1])));
        i += 2;
    }
    return bytes;
}

std::string HexText(const std::vector<std::uint8_t>& bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : bytes) {
        if (!text.empty())
            text += ' ';
        text += digits[b >> 4];
        text += digits[b & 0x0F];
    }
    return text;
}

namespace {

// Lines of a small story of our own, used to fill the demo banks.
const std::u16string Bank1Lines[] = {
    u"Welcome to Quillmere!<BR>The river town is quiet<BR>this morning.",
    u"<COLOR>002Vrel<COLOR>000<BR>Have you seen<BR>my brother? He went<BR>out before dawn.",
    u"The old mill is closed<BR>for the winter.",
    u"<SPEED>003Hmm... <DELAY>030Something is not<BR>right here.",
    u"You found a small key!<SOUND>012",
    u"Will you help me?<BR><CHOICE>  Yes<BR><CHOICE>  No",
    u"The bridge to the north<BR>was washed away in<BR>the last storm.<P>We are trying to fix<BR>it, but it takes time.",
    u"<BORDER>001A letter lies on the<BR>table. It is sealed<BR>with red wax.",
    u"<ALIGN>001The End?",
    u"Shopkeeper<BR>Welcome! Take<BR>a look around, and tell<BR>me if you need anything.",
    u"Potions are 20 coins<BR>each. Would you like one?",
    u"Thank you! Come again.",
    u"You do not have enough<BR>coins.",
    u"Vrel's sword glows with<BR>a pale light.",
    u"The door is locked.",
    u"Guard<BR>Nobody passes<BR>through this gate at<BR>night.",
    u"Elder<BR>Long ago, the<BR>lake was clear and the<BR>fish were many.",
    u"Child<BR>Can you play<BR>with me later?",
    u"(A) to talk, (B) to run.",
    u"Her voice is soft, but<BR>her words are sharp.",
};

const std::u16string Bank2Lines[] = {
    u"The tower rises above<BR>the clouds.",
    u"<COLOR>004Sage<COLOR>000<BR>So, you have<BR>come at last.",
    u"Only those who know the<BR>old songs may enter.",
    u"<SOUND>033The ground shakes!",
    u"A cold wind blows from<BR>the stairs below.",
};

} // namespace

SyntheticRom MakeDemoRom() {
    SyntheticRom rom(HeaderedRomSize, 0x00);
    std::int32_t position = Bank1Start;
    for (int i = 0; i < 84; ++i) {
        std::u16string text = Bank1Lines[i % std::size(Bank1Lines)];
        if (i >= static_cast<int>(std::size(Bank1Lines)))
            text += u"<BR>(" + std::u16string(1, char16_t(u'0' + i / 20)) + u")";
        position = rom.PutText(position, text);
    }
    // A few bytes that have no text of their own, shown as their hexadecimal values.
    position = rom.Put(position, {0x62, 0x80, 0xFF, 0xE9, EndCode});

    position = Bank2Start;
    for (int i = 0; i < 24; ++i)
        position = rom.PutText(position, Bank2Lines[i % std::size(Bank2Lines)]);
    return rom;
}

} // namespace kyrel::testing
