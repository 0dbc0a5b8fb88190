#include "bench/TypicalText.h"

namespace kyrel::bench {

const std::vector<std::u16string>& TypicalLines() {
    static const std::vector<std::u16string> lines = {
        u"Good morning, traveller!<BR>The ferry leaves at noon,<BR>so there is time to rest.",
        u"<COLOR>002Vrel<COLOR>000<BR>I have been waiting<BR>for you. Is the road<BR>from the coast still open?",
        u"<SPEED>003Listen... <DELAY>030Can you hear<BR>the bells? Something is<BR>coming down the valley.",
        u"You got the silver compass!<SOUND>012",
        u"Will you carry this letter<BR>to my sister?<BR><CHOICE>  Yes<BR><CHOICE>  Not now",
        u"The well in the square<BR>has been dry since the<BR>summer.<P>Some say the water went<BR>"
        u"north, to the hills.",
        u"<BORDER>001An old map is pinned<BR>to the wall. Most of it<BR>has faded away.",
        u"<ALIGN>001To be continued...",
        u"Innkeeper<BR>A room for the night<BR>is 15 coins. Breakfast<BR>comes with it.",
        u"Thank you, and sleep well!",
        u"You do not have enough<BR>coins for that.",
        u"Vrel's shield is heavy,<BR>but it has never let<BR>him down.",
        u"The gate will not open<BR>without the right key.",
        u"Watchman<BR>Nobody crosses the<BR>bridge after dark. Those<BR>are my orders.",
        u"Fisher<BR>When I was young, the<BR>river was full of fish.<P>Now there is hardly<BR>anything left.",
        u"Girl<BR>Have you ever seen<BR>the sea? I want to go<BR>there some day.",
        u"Press (A) to talk and<BR>(B) to run.",
        u"Her song is gentle, but<BR>there is something sad<BR>in it.",
        u"<COLOR>004Scholar<COLOR>000<BR>The tower was built<BR>long before the town.",
        u"Only those who know<BR>the old words may<BR>pass this door.",
        u"<SOUND>033The floor is shaking!<BR><DELAY>060Run!",
        u"A cold wind rises from<BR>the stairs below.",
        u"<TAB>Chapter Two<P>The Road North",
        u"Merchant<BR>Lamps, rope, bread!<BR>Everything a traveller<BR>could want!",
        u"There is nothing here.",
        u"You feel a little better.",
        u"Do you want to save<BR>your progress?<BR><CHOICE>  Save<BR><CHOICE>  Continue",
        u"The bird flies off<BR>towards the mountains.",
        u"Old man<BR>Hmm? Speak up, I<BR>cannot hear you with<BR>this wind.",
        u"<SPEED>001...and then, all was<BR>quiet again.",
    };
    return lines;
}

std::u16string LongText(std::size_t minChars) {
    std::u16string text;
    for (std::size_t i = 0; text.size() < minChars; ++i) {
        if (!text.empty())
            text += u"\r\n";
        text += TypicalLines()[i % TypicalLines().size()];
    }
    return text;
}

} // namespace kyrel::bench
