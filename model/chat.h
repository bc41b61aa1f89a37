// The table's chat without a window: the word filter, the line forms, the history and the two-line
// strip, the private addressee, the send gate and the quick phrases. Text is UTF-8 here; widths
// and lengths count characters as code page 936 does (a double-byte character is two columns).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/inifile.h"
#include "net/command.h"
#include "net/messages/chat.h"

namespace vexal {

// The word list, applied in this order; each entry is removed wherever it occurs.
extern const std::array<std::string_view, 15> kChatFilterWords;

// Removes every entry of the word list, one entry after the other: what an earlier entry leaves
// behind may join into a later entry, which then goes too. Matching is exact and case-sensitive.
std::string FiltChat(std::string_view text);

// Characters and columns of UTF-8 text as code page 936 counts them.
size_t chatCharacters(std::string_view utf8);
std::string firstChatCharacters(std::string_view utf8, size_t count);

// The history lines a chat line makes, wrapped at `width` columns: the first line runs through
// the character at which the width was reached, each later line starts with one space. Text
// behind a NUL character is dropped; an empty text makes no line.
std::vector<std::string> wrapChatLine(std::string_view utf8, int width = 44);

constexpr int kChatWrapColumns = 44;
constexpr size_t kChatStripCharacters = 45;
constexpr size_t kChatHistoryLimit = 100;  // more lines than this go at the next key press
constexpr int64_t kChatSendIntervalMs = 800;
inline constexpr std::string_view kChatTooFast = "（发送消息太快！）";

// The players as the chat sees them, by relative seat (0 the own seat, 1..3 the following ones).
struct ChatSeats {
    uint8_t ownSeatBit = 0;
    std::array<std::string, 4> names;     // nicknames; empty for an empty seat
    std::array<uint8_t, 4> sexes{};       // the seat frame's sex byte as sent (0 female, else male)
    std::array<uint8_t, 4> seatBits{};    // each seat's bit from its seat data
};

struct SessionState;
// The chat's view of the session's seats.
ChatSeats chatSeats(const SessionState& session);

// The relative seat (0..3) of a seat bit, seen from the own seat bit.
int chatRelativeSeat(uint8_t seatBit, uint8_t ownSeatBit);

// "你对" + name + "说 ：", the private-chat prefix of the chat box.
std::string chatTargetPrefix(std::string_view name);

// The two quick-phrase lists of "chat.ini".
struct QuickPhrases {
    std::array<std::vector<std::string>, 2> lists;
    // The phrase of list 1 or 2 by its number counted from 1; empty outside the list.
    std::string phrase(int list, int number) const;
};

// Reads the lists through the INI access ("Phrase1" and "Phrase2", "num" then "1".."num"); a
// missing file reads as two empty lists.
QuickPhrases loadQuickPhrases(const classIniFile& ini);

// The voice file of a quick phrase, without its directory: "v", the relative seat + 1, "0", the sex
// byte in decimal, "0", the list, the phrase number in two digits at least, ".wav".
std::string quickPhraseVoiceFile(int relativeSeat, uint8_t sexByte, int list, int number);

// A chat frame to send: the frame's own bytes (3, 6, 9, 10, 11, 13) and the text that goes into
// `PendingChatText` just before the send routine packs it.
struct ChatSend {
    CommandFrame frame{};
    std::string pendingText;
};

// What one input decision asks of the chat box, the history and the connection.
struct ChatInputResult {
    std::optional<ChatSend> send;
    std::optional<std::string> box;  // the chat box's new text (caret at its end)
    bool focusBox = false;           // the chat box takes the focus
    bool historyChanged = false;     // the history was emptied or got the too-fast notice
};

// What the player does to the chat, as the chat box and its windows report it. `box` is the chat
// box's text at that moment.
namespace intent {
struct ChatKey {};                                    // any key pressed in the chat box
struct ChatEnter { std::string box; };                // Enter in the chat box
struct ChatSendButton { std::string box; };           // table button 0
struct ChatBackspace { std::string box; size_t caret = 0; };  // before the box handles it
struct ChatBoxChanged {};                             // the box's text changed
struct ChatPhrase { int list = 1; int index = 0; std::string box; };  // double click, index from 0
struct ChatPortrait { int seat = 0; std::string box; };  // click on a relative seat's portrait
}  // namespace intent
using ChatIntent = std::variant<intent::ChatKey, intent::ChatEnter, intent::ChatSendButton, intent::ChatBackspace,
                                intent::ChatBoxChanged, intent::ChatPhrase, intent::ChatPortrait>;

// What the chat's decisions read from the rest of the table at that moment.
struct ChatContext {
    ChatSeats seats;
    int64_t nowMs = 0;  // any steady millisecond clock
    bool spectator = false;
    bool loggedIn = false;
};

// What a received chat line asks for beyond the history and the strip.
struct ChatReceived {
    std::string line;                // as shown, before wrapping
    int speaker = -1;                // relative seat of the sender; -1 for a system line
    std::string bubblePhrase;        // a quick phrase to show beside the speaker (empty: none)
    std::string voiceFile;           // a quick phrase's voice file name (empty: none)
    bool blink = false;              // start the chat button's blink
};

// A speech bubble's fade: the counter climbs by `fadeIn` a tick and is the opacity while below
// the peak; once it is past peak + `showTime` the peak falls by `fadeOut` a tick and is the
// opacity; at 1 or less the bubble is done.
struct BubbleFade {
    int counter = 0;
    int peak = 210;
    int fadeIn = 8;
    int fadeOut = 4;
    int showTime = 2000;
    struct Step {
        bool done = false;
        std::optional<int> opacity;  // the new opacity, when it changes
    };
    Step tick();
};

struct ChatState {
    std::vector<std::string> history;      // `Text1`
    std::array<std::string, 2> strip;      // `Sysmsg` 0 and 1; 1 is the newest
    std::string targetPrefix;              // `ChatTarget` prefix, empty without an addressee
    uint8_t targetSeatBit = 0;             // `ChatTarget` seat
    std::optional<int64_t> gateClosedAt;   // when Enter last passed the gate; none: ready
    std::string rememberedBox;             // the box when Backspace was pressed inside the prefix
    bool prefixHit = false;
};

class ChatModel {
public:
    const ChatState& state() const { return m_state; }

    // One intent of the player, decided with the table as `context` describes it.
    ChatInputResult act(const ChatIntent& intent, const ChatContext& context, const QuickPhrases& phrases);

    // Any key press in the chat box: a history over its limit is emptied. Returns true if it was.
    bool keyPressed();
    // Enter in the chat box at `nowMs` (any steady millisecond clock); includes the key press.
    ChatInputResult enterPressed(std::string_view box, int64_t nowMs, bool spectator, const ChatSeats& seats);
    // The send button: no rate limit, also for spectators; the box is emptied whatever happens.
    ChatInputResult sendButtonPressed(std::string_view box, const ChatSeats& seats);
    // A double click on entry `index` (from 0) of quick-phrase list 1 or 2.
    ChatInputResult quickPhraseChosen(const QuickPhrases& phrases, int list, int index, std::string_view box,
                                      const ChatSeats& seats);

    // A click on the portrait of a relative seat; the box's new text when it chooses an addressee.
    std::optional<std::string> portraitClicked(int relativeSeat, bool loggedIn, std::string_view box,
                                               const ChatSeats& seats);
    // Backspace in the chat box, with the caret (in characters) where it was pressed.
    void backspacePressed(std::string_view box, size_t caret);
    // The box changed; when the Backspace landed in the prefix, the box's text without the prefix
    // (the line is public again).
    std::optional<std::string> boxChanged();

    // A chat line the server relayed (not a plug-in message).
    ChatReceived receive(const ChatLine& line, const ChatSeats& seats, const QuickPhrases& phrases);

    // The table window is reset: the history is emptied (the strip is the table's own).
    void clearHistory();

private:
    ChatInputResult sendTyped(std::string_view box, const ChatSeats& seats);
    void addToHistory(std::string_view line);
    void pushToStrip(std::string_view line);

    ChatState m_state;
};

}  // namespace vexal
