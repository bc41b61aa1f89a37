// The chat without a window: the word filter, wrapping, the history and strip, the private
// addressee, the send gate, received lines and the quick phrases.
#include "model/chat.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <string>
#include <vector>

#include "model/session.h"
#include "net/cp936.h"
#include "net/frame.h"
#include "net/messages/seating.h"

namespace vexal {
namespace {

using Lines = std::vector<std::string>;

// `n` single-byte characters cycling through the digits, so every position is recognisable.
std::string digits(size_t n, size_t from = 0) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s.push_back(static_cast<char>('0' + (from + i) % 10));
    return s;
}

std::string repeat(std::string_view ch, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s.append(ch);
    return s;
}

TEST(ChatWrap, CutsAtTheColumnWidthAsTheHistoryShowsIt) {
    struct Case {
        const char* what;
        std::string text;
        Lines lines;
    };
    const std::string cjk22 = repeat("汉", 22);
    const std::vector<Case> cases = {
        {"empty", "", {}},
        {"one character", "a", {"a"}},
        {"44 columns stay one line", digits(44), {digits(44)}},
        // 46 columns: the first line runs through the character met with 44 columns counted, the
        // second is a space and the last character.
        {"46 single-byte columns", digits(46), {digits(45), " " + digits(1, 45)}},
        {"46 columns, double-byte first", cjk22 + "xy", {cjk22 + "x", " y"}},
        // The last character always closes the line it is in, however wide that line got.
        {"23 double-byte characters", repeat("汉", 23), {repeat("汉", 23)}},
        // Later lines leave out the character they were cut at: it starts the next one.
        {"100 columns", digits(100), {digits(45), " " + digits(43, 45), " " + digits(12, 88)}},
        {"text ends at NUL", std::string("ab\0cd", 5), {"ab"}},
    };
    for (const Case& c : cases) EXPECT_EQ(wrapChatLine(c.text, kChatWrapColumns), c.lines) << c.what;
}

TEST(ChatFilter, RemovesTheWordsInOrderJoiningWhatIsLeft) {
    struct Case {
        std::string text;
        std::string filtered;
    };
    const std::vector<Case> cases = {
        {"ab他妈的c", "abc"},
        {"Shit happens, FUCK", "Shit happens, FUCK"},  // case-sensitive
        {"shit fuck", " "},
        {"婊他妈的子", ""},      // the removal joins 婊子, a later entry
        {"色淫情", ""},          // 淫 goes first, then the joined 色情
        {"黄色情", "黄"},        // 色情 comes before 黄色 and takes the 色
        {"婊子养的", ""},        // the long entry before its own beginning
        {"王建fuck国", "王建国"},  // names come first: what fuck leaves is not looked at again
        {"他他妈的妈的", "他妈的"},  // each entry is one pass
        {"李秀英说道： 你好", "说道： 你好"},
        {"法轮功她妈的它妈的", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FiltChat(c.text), c.filtered) << c.text;
}

TEST(ChatVoice, NamesTheFileBySeatSexListAndNumber) {
    EXPECT_EQ(quickPhraseVoiceFile(1, 0, 2, 10), "v2000210.wav");
    EXPECT_EQ(quickPhraseVoiceFile(2, 1, 1, 3), "v3010103.wav");
    EXPECT_EQ(quickPhraseVoiceFile(0, 12, 1, 0), "v10120100.wav");
}

// Own seat is seat 1 (bit 2); the following seats are 2, 3 and 0.
class Chat : public ::testing::Test {
protected:
    Chat() {
        seats.ownSeatBit = 2;
        seats.names = {"Me", "Bob", "Carol", "Dave"};
        seats.sexes = {1, 0, 1, 0};
        seats.seatBits = {2, 4, 8, 1};
    }

    ChatLine line(uint8_t seatBit, std::string text, uint8_t addressee = 0) {
        ChatLine l;
        l.seatBit = seatBit;
        l.addresseeBit = addressee;
        l.text = std::move(text);
        return l;
    }

    // The frame as the receiver decodes it, with the text the send routine packs.
    static ChatLine sent(const ChatInputResult& r) {
        CommandFrame f = r.send->frame;
        std::string pending = r.send->pendingText;
        EXPECT_TRUE(packChatText(f, pending));
        EXPECT_EQ(f[kCommandByte], 19);
        return decodeChatLine(f);
    }

    ChatModel chat;
    ChatSeats seats;
    QuickPhrases phrases;
};

TEST_F(Chat, RelativeSeatsWrapAroundTheTable) {
    EXPECT_EQ(chatRelativeSeat(2, 2), 0);
    EXPECT_EQ(chatRelativeSeat(4, 2), 1);
    EXPECT_EQ(chatRelativeSeat(8, 2), 2);
    EXPECT_EQ(chatRelativeSeat(1, 2), 3);
}

TEST_F(Chat, HistoryOverItsLimitIsEmptiedAtTheNextKeyPress) {
    for (size_t lines : {size_t{100}, size_t{101}}) {
        ChatModel m;
        for (size_t i = 0; i < lines; ++i) m.receive(line(0, "系统 " + std::to_string(i)), seats, phrases);
        ASSERT_EQ(m.state().history.size(), lines);
        const bool emptied = m.keyPressed();
        EXPECT_EQ(emptied, lines > kChatHistoryLimit) << lines;
        EXPECT_EQ(m.state().history.size(), lines > kChatHistoryLimit ? 0u : lines);
    }
    // Enter is a key press too.
    for (int i = 0; i < 101; ++i) chat.receive(line(0, "x"), seats, phrases);
    const ChatInputResult r = chat.enterPressed("", 0, false, seats);
    EXPECT_TRUE(r.historyChanged);
    EXPECT_TRUE(chat.state().history.empty());
}

TEST_F(Chat, ReceivedLinesNameTheOwnPlayerYou) {
    struct Case {
        const char* what;
        ChatLine in;
        std::string shown;
        int speaker;
        bool blink;
    };
    const std::vector<Case> cases = {
        {"system line, unfiltered", line(0, "Me fuck"), "Me fuck", -1, false},
        {"own public line", line(2, "Me说道： hi Me"), "你说道： hi 你", 0, false},
        {"public line of another", line(4, "Bob说道： Me fuck"), "Bob说道： Me ", 1, true},
        {"own private line", line(2, "hi", 8), "你对Carol说道： hi", 0, false},
        {"private line to the own seat", line(1, "Me?", 2), "Dave对你说道： 你?", 3, true},
        {"private line between others", line(4, "Me", 1), "Bob对Dave说道： Me", 1, true},
    };
    chat.receive(line(0, "欢迎"), seats, phrases);  // the strip's first line stays in its upper row
    for (const Case& c : cases) {
        const ChatReceived r = chat.receive(c.in, seats, phrases);
        EXPECT_EQ(r.line, c.shown) << c.what;
        EXPECT_EQ(r.speaker, c.speaker) << c.what;
        EXPECT_EQ(r.blink, c.blink) << c.what;
        EXPECT_TRUE(r.voiceFile.empty() && r.bubblePhrase.empty()) << c.what;
        EXPECT_EQ(chat.state().history.back(), c.shown) << c.what;
        EXPECT_EQ(chat.state().strip[1], c.shown) << c.what;
    }
}

TEST_F(Chat, TheStripShowsTheTwoNewestLinesCut) {
    chat.receive(line(0, "one"), seats, phrases);
    EXPECT_EQ(chat.state().strip, (std::array<std::string, 2>{"one", ""}));
    chat.receive(line(0, "two"), seats, phrases);
    EXPECT_EQ(chat.state().strip, (std::array<std::string, 2>{"one", "two"}));
    const std::string wide = repeat("字", 50);
    chat.receive(line(0, wide), seats, phrases);
    EXPECT_EQ(chat.state().strip, (std::array<std::string, 2>{"two", repeat("字", 45)}));
    EXPECT_EQ(chat.state().history.size(), 2u + wrapChatLine(wide).size());
}

TEST_F(Chat, QuickPhraseRaisesBubbleAndVoice) {
    phrases.lists[1] = Lines(10, "");
    phrases.lists[1][9] = "快点吧";
    ChatLine in = line(4, "Bob说道： 快点吧");
    in.phraseList = 2;
    in.phraseNumber = 10;
    const ChatReceived r = chat.receive(in, seats, phrases);
    EXPECT_EQ(r.bubblePhrase, "快点吧");
    EXPECT_EQ(r.voiceFile, "v2000210.wav");

    // A spectator (no own seat bit) neither shows nor hears it; a number past the list has no bubble.
    ChatSeats watcher = seats;
    watcher.ownSeatBit = 0;
    EXPECT_TRUE(chat.receive(in, watcher, phrases).voiceFile.empty());
    in.phraseNumber = 11;
    const ChatReceived past = chat.receive(in, seats, phrases);
    EXPECT_TRUE(past.bubblePhrase.empty());
    EXPECT_EQ(past.voiceFile, "v2000211.wav");
}

// The voice's sex code is byte 64 of the speaker's seat frame as it came, not a yes/no reading
// of it: the frame, decoded and kept as the session keeps it, names the file.
TEST_F(Chat, TheVoiceFileCarriesTheSeatFramesSexByteAsSent) {
    phrases.lists[1] = Lines(10, "漂亮，赢了！");
    struct Case {
        uint8_t sexByte;
        const char* file;
    };
    for (const Case& c : {Case{0, "v2000210.wav"}, Case{1, "v2010210.wav"}, Case{2, "v2020210.wav"},
                          Case{128, "v201280210.wav"}}) {
        SeatInfo bob;
        bob.nickname = "Bob";
        bob.account = "bob";
        bob.seatBit = 4;
        CommandFrame f = encode(bob);
        f[64] = c.sexByte;
        SessionState session;
        session.own.seatBit = 2;
        session.seatBits = {2, 4, 8, 1};
        session.players[1] = playerRecordFrom(decodeSeatInfo(f));
        ChatLine in = line(4, "Bob说道： 漂亮，赢了！");
        in.phraseList = 2;
        in.phraseNumber = 10;
        EXPECT_EQ(chat.receive(in, chatSeats(session), phrases).voiceFile, c.file) << int(c.sexByte);
    }
}

TEST_F(Chat, EnterSendsTheLineInItsForm) {
    struct Case {
        const char* what;
        int addressee;        // relative seat clicked, 0: none
        uint8_t addresseeBit; // its seat bit
        std::string typed;
        std::string text;
        uint8_t byte11;
    };
    const std::vector<Case> cases = {
        {"public", 0, 0, "hi", "Me说道： hi", 0},
        {"private", 2, 8, "hi", "hi", 8},
        {"private, addressee without seat bit", 3, 0, "hi", "Me对Dave说 ：hi", 0},
    };
    int64_t now = 0;
    for (const Case& c : cases) {
        std::string box = c.typed;
        if (c.addressee) {
            seats.seatBits[c.addressee] = c.addresseeBit;
            box = *chat.portraitClicked(c.addressee, true, c.typed, seats);
        }
        now += 1000;
        const ChatInputResult r = chat.enterPressed(box, now, false, seats);
        ASSERT_TRUE(r.send) << c.what;
        const ChatLine out = sent(r);
        EXPECT_EQ(out.text, c.text) << c.what;
        EXPECT_EQ(out.addresseeBit, c.byte11) << c.what;
        EXPECT_EQ(out.seatBit, 2) << c.what;
        EXPECT_EQ(out.phraseList, 0) << c.what;
        EXPECT_EQ(r.box, "") << c.what;
        EXPECT_TRUE(chat.state().targetPrefix.empty()) << c.what;
    }
}

TEST_F(Chat, EmptyOrPrefixOnlyLinesAreNotSent) {
    const std::string prefix = *chat.portraitClicked(1, true, "", seats);
    EXPECT_EQ(prefix, "你对Bob说 ：");
    for (const std::string& box : {std::string(), prefix, prefix + "  ", "  " + prefix}) {
        ChatModel m = chat;
        const ChatInputResult byKey = m.enterPressed(box, 0, false, seats);
        EXPECT_FALSE(byKey.send) << box;
        EXPECT_FALSE(byKey.box) << box;  // the box keeps its text
        m = chat;
        const ChatInputResult byButton = m.sendButtonPressed(box, seats);
        EXPECT_FALSE(byButton.send) << box;
        EXPECT_EQ(byButton.box, "") << box;  // the button empties it all the same
    }
}

TEST_F(Chat, EnterWithin800msOfTheLastIsTooFast) {
    struct Press {
        int64_t at;
        std::string box;
        bool sends;
        bool notice;
    };
    // The interval runs from every Enter that passes the gate, even one that sends nothing.
    const std::vector<Press> presses = {
        {10'000, "", false, false},  {10'500, "a", false, true}, {10'700, "", false, false},
        {10'800, "b", true, false},  {11'599, "c", false, true}, {11'600, "d", true, false},
    };
    size_t notices = 0;
    for (const Press& p : presses) {
        const ChatInputResult r = chat.enterPressed(p.box, p.at, false, seats);
        EXPECT_EQ(r.send.has_value(), p.sends) << p.at;
        if (p.notice) ++notices;
        EXPECT_EQ(chat.state().history.size(), notices) << p.at;
        if (p.notice) {
            EXPECT_EQ(chat.state().history.back(), kChatTooFast);
            EXPECT_EQ(r.box, "") << p.at;  // the typed text is discarded
        }
    }
    // The button and the quick phrases pass at any time; a spectator's Enter does nothing.
    EXPECT_TRUE(chat.sendButtonPressed("e", seats).send);
    EXPECT_FALSE(chat.enterPressed("f", 50'000, true, seats).send);
    EXPECT_TRUE(chat.enterPressed("g", 50'001, false, seats).send);
}

TEST_F(Chat, OneBackspaceIntoThePrefixMakesTheLinePublic) {
    const std::string prefix = chatTargetPrefix("Carol");
    const size_t prefixChars = chatCharacters(prefix);
    ASSERT_EQ(prefixChars, 10u);
    struct Case {
        size_t caret;
        std::optional<std::string> box;
    };
    for (const Case& c : {Case{0, "hello"}, Case{prefixChars, "hello"}, Case{prefixChars + 1, std::nullopt}}) {
        ChatModel m;
        const std::string box = *m.portraitClicked(2, true, "hello", seats);
        ASSERT_EQ(box, prefix + "hello");
        m.backspacePressed(box, c.caret);
        EXPECT_EQ(m.boxChanged(), c.box) << c.caret;
        EXPECT_EQ(m.state().targetPrefix.empty(), c.box.has_value()) << c.caret;
        EXPECT_EQ(m.state().targetSeatBit, c.box ? 0 : 8) << c.caret;
        EXPECT_FALSE(m.boxChanged()) << c.caret;  // only the change right after the Backspace
    }
    // Without an addressee Backspace is an ordinary key.
    chat.backspacePressed("hello", 0);
    EXPECT_FALSE(chat.boxChanged());
}

TEST_F(Chat, PortraitClicksChooseAnotherSeatedPlayer) {
    seats.names[3].clear();
    EXPECT_FALSE(chat.portraitClicked(0, true, "x", seats));  // the own portrait
    EXPECT_FALSE(chat.portraitClicked(3, true, "x", seats));  // an empty seat
    EXPECT_FALSE(chat.portraitClicked(1, false, "x", seats)); // not logged in
    EXPECT_EQ(chat.portraitClicked(1, true, "hi", seats), "你对Bob说 ：hi");
    EXPECT_EQ(chat.portraitClicked(2, true, "你对Bob说 ：hi", seats), "你对Carol说 ：hi");
    EXPECT_EQ(chat.state().targetSeatBit, 8);
}

TEST_F(Chat, QuickPhraseSendsListNumberAndAddressee) {
    phrases.lists[0] = {"你好"};
    phrases.lists[1] = Lines(10, "x");
    phrases.lists[1][9] = "快点吧";

    ChatInputResult r = chat.quickPhraseChosen(phrases, 1, 0, "typed", seats);
    ChatLine out = sent(r);
    EXPECT_EQ(out.text, "Me说道： 你好");
    EXPECT_EQ(out.phraseList, 1);
    EXPECT_EQ(out.phraseNumber, 1);
    EXPECT_EQ(out.addresseeBit, 0);
    EXPECT_EQ(out.byte13, 0);
    EXPECT_EQ(r.box, "");

    const std::string box = *chat.portraitClicked(2, true, "", seats);
    r = chat.quickPhraseChosen(phrases, 2, 9, box, seats);
    out = sent(r);
    EXPECT_EQ(out.text, "快点吧");
    EXPECT_EQ(out.phraseList, 2);
    EXPECT_EQ(out.phraseNumber, 10);
    EXPECT_EQ(out.addresseeBit, 8);
    EXPECT_EQ(out.byte13, 97);
    EXPECT_TRUE(chat.state().targetPrefix.empty());

    seats.seatBits[3] = 0;
    r = chat.quickPhraseChosen(phrases, 1, 0, *chat.portraitClicked(3, true, "", seats), seats);
    EXPECT_EQ(sent(r).text, "Me对Dave说 ：你好");

    // Nothing to send from an empty list or past its end.
    QuickPhrases none;
    EXPECT_FALSE(chat.quickPhraseChosen(none, 1, 0, "kept", seats).send);
    EXPECT_FALSE(chat.quickPhraseChosen(phrases, 1, 1, "kept", seats).box);
}

// The lists of a chat.ini with this (UTF-8) content, written in code page 936 and read through the
// INI access.
QuickPhrases phrasesOf(const std::string& ini) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("chat_test_" + std::to_string(::getpid()) + ".ini");
    {
        std::ofstream out(path, std::ios::binary);
        out << utf8ToCp936(ini);
    }
    QuickPhrases phrases = loadQuickPhrases(classIniFile(path.string()));
    std::filesystem::remove(path);
    return phrases;
}

TEST(ChatPhrases, ReadsTheListsFromTheSettingsFile) {
    struct Case {
        const char* what;
        std::string ini;  // UTF-8 here, code page 936 on the way in
        Lines list1;
        Lines list2;
    };
    const std::vector<Case> cases = {
        {"both lists, keys in number order",
         "[Phrase1]\r\nnum=2\r\n2= 快点吧 \r\n1=你好\r\n\r\n[phrase2]\nNUM = 3x\n1=a\n3=c\n",
         {"你好", "快点吧"}, {"a", "", "c"}},
        {"no num keys", "[Phrase1]\n1=a\n[Phrase2]\n1=b\n", {}, {}},
        {"non-numeric num", "[Phrase1]\nnum=abc\n1=a\n", {}, {}},
        {"the first section of a name counts", "[Phrase1]\nnum=1\n1=first\n[Phrase1]\n1=second\n", {"first"}, {}},
        {"a key outside its section", "1=a\n[Phrase1]\nnum=1\n", {""}, {}},
        {"comments and a negative num", "[Phrase2]\n;num=4\nnum=-2\n", {}, {}},
    };
    for (const Case& c : cases) {
        const QuickPhrases q = phrasesOf(c.ini);
        EXPECT_EQ(q.lists[0], c.list1) << c.what;
        EXPECT_EQ(q.lists[1], c.list2) << c.what;
    }
    // No file: two empty lists. A huge count stops at what one frame byte can number.
    EXPECT_TRUE(loadQuickPhrases(classIniFile("/nonexistent/chat.ini")).lists[0].empty());
    EXPECT_EQ(phrasesOf("[Phrase1]\nnum=1000000000\n").lists[0].size(), 255u);

    QuickPhrases q = phrasesOf("[Phrase2]\nnum=2\n1=甲\n2=乙\n");
    EXPECT_EQ(q.phrase(2, 2), "乙");
    EXPECT_EQ(q.phrase(2, 0), "");
    EXPECT_EQ(q.phrase(2, 3), "");
    EXPECT_EQ(q.phrase(1, 1), "");
    EXPECT_EQ(q.phrase(3, 1), "");
}

// With the chat's numbers (peak 210, in 8, out 4, hold 2000) the bubble rises for 26 ticks to
// 208, holds, starts fading on tick 277 and is gone on tick 329.
TEST(ChatBubbleFade, RisesHoldsAndFadesOnTheTicksTheNumbersGive) {
    BubbleFade fade;
    std::vector<int> changedOn;
    int last = -1, doneOn = 0;
    for (int tick = 1; tick <= 400 && doneOn == 0; ++tick) {
        const BubbleFade::Step step = fade.tick();
        if (step.opacity) {
            changedOn.push_back(tick);
            last = *step.opacity;
            if (tick == 26) EXPECT_EQ(last, 208);
        }
        if (step.done) doneOn = tick;
    }
    ASSERT_GE(changedOn.size(), 27u);
    EXPECT_EQ(changedOn[25], 26);
    EXPECT_EQ(changedOn[26], 277);  // nothing changes while it holds
    EXPECT_EQ(doneOn, 329);
    EXPECT_LE(last, 1);
}

}  // namespace
}  // namespace vexal
