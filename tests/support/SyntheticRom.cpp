#include "tests/support/SyntheticRom.h"

#include "codec/MessageEncoder.h"
#include "codec/MessageReader.h"

#include <fstream>
#include <iterator>
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
        return {{FailureCode::CannotWrite, PathText(path)}};
    return {};
}

std::string Shown(const Failure& failure) {
    static constexpr const char* Names[] = {
        "None",      "NotRegularFile", "CannotOpen",  "CannotRead",        "CannotWrite",
        "CannotCut", "BeforeFile",     "PastEnd",     "PastLastReadable",  "PastLastWritable",
        "NoRoom",    "Shortened",      "SizeChanged", "ChangedSinceWrite",
    };
    static_assert(std::size(Names) == static_cast<std::size_t>(FailureCode::ChangedSinceWrite) + 1);
    return std::string(Names[static_cast<std::size_t>(failure.code)]) + " path=" + failure.path +
           " position=" + std::to_string(failure.position) + " count=" + std::to_string(failure.count) +
           " size=" + std::to_string(failure.size) + " error=" + std::to_string(failure.osError);
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
    u"The bridge to the north<BR>was washed away in<BR>the last storm.<P>We are trying to fix<BR>it, but it takes "
    u"time.",
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

// People, places and things of the story, combined into the many small messages of a town and a tower.
const std::u16string People[] = {
    u"Vrel",  u"Mira",   u"Old Tomas", u"Sela",       u"Brannic",  u"Guard",       u"Fisher Orla",
    u"Elder", u"Pellan", u"Juno",      u"Widow Kess", u"Ferryman", u"Scholar Ivo",
};
const std::u16string Places[] = {
    u"the tower",     u"Quillmere",     u"the old mill",   u"the north road",    u"the lake shore", u"the chapel",
    u"the salt mine", u"the far hills", u"the ferry dock", u"the sunken garden", u"the library",    u"the west gate",
};
const std::u16string Things[] = {
    u"a silver key",   u"an old map",    u"a bundle of reeds", u"a lantern",     u"a sealed letter", u"a bone flute",
    u"a jar of honey", u"a river stone", u"a torn banner",     u"a copper ring", u"a bag of salt",   u"a small boat",
};
const std::u16string Moods[] = {
    u"quiet", u"cold", u"strange", u"busy", u"empty", u"full of fog", u"warm", u"loud",
};
const std::u16string Words[] = {
    u"I have lived here all my life, and I never saw the lake so low.",
    u"If you go up there, take a light. The stairs go on forever.",
    u"My mother told me the bells would ring again one day.",
    u"Do not trust the ferryman after dark. He counts twice.",
    u"The fish are gone. Nobody knows where they went.",
    u"We could use another pair of hands at the dock.",
    u"Have you heard the singing at night? It comes from the water.",
    u"The roads are not safe since the storm.",
    u"I lost something precious near the mill. Could you look for it?",
    u"They say the tower was built before the town.",
    u"Rest a while. You look like you walked all day.",
};

// One message of the town: the kinds follow one another, so neighbours in the list differ.
std::u16string TownMessage(int i) {
    // Each round of the nine kinds takes the next person, place and thing, so that every one of them turns up.
    const int round = i / 9;
    const int kind = i % 9;
    auto pick = [&](const auto& table, int step) -> const std::u16string& {
        return table[static_cast<std::size_t>(round * step + kind) % std::size(table)];
    };
    const std::u16string& who = pick(People, 7);
    const std::u16string& where = pick(Places, 5);
    const std::u16string& what = pick(Things, 1);
    const std::u16string& mood = pick(Moods, 3);
    const std::u16string& said = pick(Words, 4);
    const std::u16string number = std::u16string(1, char16_t(u'1' + round % 9)) + u"0";
    switch (kind) {
    case 0:
        return who + u"<BR>" + said;
    case 1:
        return u"You got " + what + u"!<SOUND>012";
    case 2:
        return u"<COLOR>002" + who + u"<COLOR>000<BR>Have you been to<BR>" + where + u"? It is " + mood +
               u"<BR>there this time of year.";
    case 3:
        return u"Sign<BR>" + where + u", " + number + u" steps ahead.";
    case 4:
        return u"Shopkeeper<BR>" + what + u" costs " + number +
               u" coins.<BR>Will you buy it?<BR><CHOICE>  Yes<BR>"
               u"<CHOICE>  No";
    case 5:
        return u"<SPEED>003" + who + u"<BR>Hmm... <DELAY>030The wind from<BR>" + where + u" smells of rain.";
    case 6:
        // A long one, in several text boxes.
        return who + u"<BR>Long ago, before the ferry and<BR>before the mill, " + where +
               u" was a<BR>place of songs.<P>People came from the far hills<BR>to hear them, and nobody went<BR>"
               u"home without " +
               what + u".<P>" + said +
               u"<P>Now only the old ones<BR>remember, and they do not"
               u"<BR>like to talk about it.";
    case 7:
        return u"<BORDER>001" + what + u" lies here. It is<BR>" + mood + u" to the touch.";
    default:
        return u"(A) to look closer, (B) to leave " + where + u".";
    }
}

} // namespace

SyntheticRom MakeDemoRom() {
    SyntheticRom rom(HeaderedRomSize, 0x00);
    // Bank 1 holds as many messages as the index arrow reaches there, the last of them bytes that have no text of
    // their own, shown as their hexadecimal values.
    std::int32_t position = Bank1Start;
    for (int i = 0; i < 74; ++i)
        position = rom.PutText(position, i < static_cast<int>(std::size(Bank1Lines)) ? Bank1Lines[i] : TownMessage(i));
    position = rom.Put(position, {0x62, 0x80, 0xFF, 0xE9, EndCode});

    // Bank 2 holds the 672 messages the index counter names.
    position = Bank2Start;
    for (int i = 0; i < 672; ++i)
        position = rom.PutText(position, i < static_cast<int>(std::size(Bank2Lines)) ? Bank2Lines[i] : TownMessage(i));
    return rom;
}

} // namespace kyrel::testing
