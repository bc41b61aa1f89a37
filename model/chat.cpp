#include "model/chat.h"

#include <algorithm>

#include "core/numbers.h"
#include "core/overloaded.h"
#include "model/session.h"
#include "net/cp936.h"
#include "net/frame.h"

namespace vexal {

const std::array<std::string_view, 15> kChatFilterWords = {
    "王建国", "李秀英", "张志强", "陈玉兰", "法轮功", "他妈的", "她妈的", "它妈的",
    "婊子养的", "婊子", "淫", "色情", "黄色", "shit", "fuck",
};

namespace {

constexpr std::string_view kSays = "说道： ";
constexpr std::string_view kYou = "你";

// Phrase numbers travel in one byte, so entries past 255 could never be named by a receiver;
// a huge "num" would otherwise fill the lists with millions of empty entries.
constexpr int kMaxPhrases = 255;

// Byte length of the UTF-8 character starting at `at` (1 for a stray byte).
size_t utf8Length(std::string_view s, size_t at) {
    const auto c = static_cast<unsigned char>(s[at]);
    size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return std::min(n, s.size() - at);
}

std::vector<std::string_view> characters(std::string_view s) {
    std::vector<std::string_view> out;
    for (size_t i = 0; i < s.size();) {
        const size_t n = utf8Length(s, i);
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

int columnsOf(std::string_view character) {
    const std::vector<uint16_t> codes = cp936Codes(character);
    return !codes.empty() && codes.front() > 0xFF ? 2 : 1;
}

// Every occurrence, left to right, in one pass: what the removal joins is not looked at again.
std::string removeAll(std::string_view text, std::string_view word) {
    std::string out;
    size_t from = 0;
    for (size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, from)) {
        out.append(text.substr(from, at - from));
        from = at + word.size();
    }
    out.append(text.substr(from));
    return out;
}

std::string replaceAll(std::string_view text, std::string_view word, std::string_view with) {
    if (word.empty()) return std::string(text);  // an unnamed player has nothing to replace
    std::string out;
    size_t from = 0;
    for (size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, from)) {
        out.append(text.substr(from, at - from)).append(with);
        from = at + word.size();
    }
    out.append(text.substr(from));
    return out;
}

// Without leading and trailing spaces, as the chat box's text is compared with the prefix.
std::string_view trimSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

std::string withoutFirstCharacters(std::string_view s, size_t count) {
    size_t i = 0;
    for (size_t n = 0; n < count && i < s.size(); ++n) i += utf8Length(s, i);
    return std::string(s.substr(i));
}

// The text of a line to send: a private line loses the prefix's length from its front and, with
// an addressee without a seat bit, carries the names in its text; a public line is "<name>说道： ".
struct Addressed {
    std::string text;
    uint8_t addresseeBit = 0;
};
Addressed addressed(std::string_view text, const std::string& prefix, uint8_t targetSeatBit,
                    const std::string& ownName) {
    if (!prefix.empty() && text.find(prefix) != std::string_view::npos) {
        std::string rest = withoutFirstCharacters(text, chatCharacters(prefix));
        if (targetSeatBit != 0) return {std::move(rest), targetSeatBit};
        return {ownName + withoutFirstCharacters(prefix, 1) + rest, 0};
    }
    return {ownName + std::string(kSays) + std::string(text), 0};
}

}  // namespace

std::string FiltChat(std::string_view text) {
    std::string out(text);
    for (std::string_view word : kChatFilterWords) out = removeAll(out, word);
    return out;
}

size_t chatCharacters(std::string_view utf8) { return characters(utf8).size(); }

std::string firstChatCharacters(std::string_view utf8, size_t count) {
    size_t i = 0;
    for (size_t n = 0; n < count && i < utf8.size(); ++n) i += utf8Length(utf8, i);
    return std::string(utf8.substr(0, i));
}

std::vector<std::string> wrapChatLine(std::string_view utf8, int width) {
    const size_t nul = utf8.find('\0');
    if (nul != std::string_view::npos) utf8 = utf8.substr(0, nul);
    const std::vector<std::string_view> chars = characters(utf8);
    const size_t n = chars.size();
    std::vector<std::string> lines;
    auto join = [&](size_t from, size_t through) {  // characters from..through, counted from 1
        std::string s;
        for (size_t k = from; k <= through && k <= n; ++k) s.append(chars[k - 1]);
        return s;
    };
    int w = 0;
    size_t s = 1;
    for (size_t i = 1; i <= n; ++i) {
        if (i == n || w >= width) {
            if (s == 1) {
                lines.push_back(join(1, i));
                s = i + 1;
            } else {
                lines.push_back(" " + join(s, i == n ? n : i - 1));
                s = i;
            }
            w = 0;
        }
        w += columnsOf(chars[i - 1]);
    }
    return lines;
}

int chatRelativeSeat(uint8_t seatBit, uint8_t ownSeatBit) {
    auto index = [](unsigned bit) {
        int i = 0;
        while (bit > 1) {
            bit /= 2;
            ++i;
        }
        return i;
    };
    return ((index(seatBit) - index(ownSeatBit)) % 4 + 4) % 4;
}

ChatSeats chatSeats(const SessionState& session) {
    ChatSeats seats;
    seats.ownSeatBit = session.own.seatBit;
    for (size_t r = 0; r < 4; ++r) {
        seats.names[r] = session.players[r].nickname;
        seats.sexes[r] = session.players[r].sex;
        seats.seatBits[r] = session.seatBits[r];
    }
    return seats;
}

std::string chatTargetPrefix(std::string_view name) { return "你对" + std::string(name) + "说 ："; }

std::string QuickPhrases::phrase(int list, int number) const {
    if (list < 1 || list > 2) return {};
    const std::vector<std::string>& entries = lists[list - 1];
    if (number < 1 || static_cast<size_t>(number) > entries.size()) return {};
    return entries[number - 1];
}

QuickPhrases loadQuickPhrases(const classIniFile& ini) {
    QuickPhrases phrases;
    for (int list = 0; list < 2; ++list) {
        const std::string section = "Phrase" + std::to_string(list + 1);
        const double num = leadingNumber(ini.GetIniKey(section, "num"));
        const int count = num >= kMaxPhrases ? kMaxPhrases : num >= 1 ? static_cast<int>(num) : 0;
        for (int i = 1; i <= count; ++i) phrases.lists[list].push_back(ini.GetIniKey(section, std::to_string(i)));
    }
    return phrases;
}

std::string quickPhraseVoiceFile(int relativeSeat, uint8_t sexByte, int list, int number) {
    const std::string phrase = (number < 10 ? "0" : "") + std::to_string(number);
    return "v" + std::to_string(relativeSeat + 1) + "0" + std::to_string(sexByte) + "0" + std::to_string(list) +
           phrase + ".wav";
}

ChatInputResult ChatModel::act(const ChatIntent& intent, const ChatContext& context, const QuickPhrases& phrases) {
    ChatInputResult result;
    std::visit(Overloaded{
                   [&](const intent::ChatKey&) { result.historyChanged = keyPressed(); },
                   [&](const intent::ChatEnter& i) {
                       result = enterPressed(i.box, context.nowMs, context.spectator, context.seats);
                   },
                   [&](const intent::ChatSendButton& i) { result = sendButtonPressed(i.box, context.seats); },
                   [&](const intent::ChatBackspace& i) { backspacePressed(i.box, i.caret); },
                   [&](const intent::ChatBoxChanged&) { result.box = boxChanged(); },
                   [&](const intent::ChatPhrase& i) {
                       result = quickPhraseChosen(phrases, i.list, i.index, i.box, context.seats);
                   },
                   [&](const intent::ChatPortrait& i) {
                       result.box = portraitClicked(i.seat, context.loggedIn, i.box, context.seats);
                       result.focusBox = result.box.has_value();
                   },
               },
               intent);
    return result;
}

BubbleFade::Step BubbleFade::tick() {
    Step step;
    counter += fadeIn;
    if (counter < peak) {
        step.opacity = counter;
    } else if (counter > peak + showTime) {
        peak -= fadeOut;
        step.opacity = peak;
        step.done = peak <= 1;
    }
    return step;
}

bool ChatModel::keyPressed() {
    if (m_state.history.size() <= kChatHistoryLimit) return false;
    m_state.history.clear();
    return true;
}

ChatInputResult ChatModel::enterPressed(std::string_view box, int64_t nowMs, bool spectator, const ChatSeats& seats) {
    ChatInputResult result;
    result.historyChanged = keyPressed();
    if (spectator) return result;
    if (m_state.gateClosedAt && nowMs - *m_state.gateClosedAt < kChatSendIntervalMs) {
        if (!box.empty()) {
            m_state.history.emplace_back(kChatTooFast);
            result.historyChanged = true;
            result.box = std::string();
        }
        return result;
    }
    // The interval runs from here even when nothing is sent.
    m_state.gateClosedAt = nowMs;
    ChatInputResult sent = sendTyped(box, seats);
    sent.historyChanged = result.historyChanged;
    return sent;
}

ChatInputResult ChatModel::sendButtonPressed(std::string_view box, const ChatSeats& seats) {
    ChatInputResult result = sendTyped(box, seats);
    result.box = std::string();
    return result;
}

ChatInputResult ChatModel::sendTyped(std::string_view box, const ChatSeats& seats) {
    ChatInputResult result;
    if (box.empty() || trimSpaces(box) == m_state.targetPrefix) return result;
    Addressed line = addressed(box, m_state.targetPrefix, m_state.targetSeatBit, seats.names[0]);
    ChatLine frame;
    frame.seatBit = seats.ownSeatBit;
    frame.addresseeBit = line.addresseeBit;
    m_state.targetPrefix.clear();
    result.send = ChatSend{encode(frame), std::move(line.text)};
    result.box = std::string();
    return result;
}

ChatInputResult ChatModel::quickPhraseChosen(const QuickPhrases& phrases, int list, int index, std::string_view box,
                                             const ChatSeats& seats) {
    ChatInputResult result;
    if (list < 1 || list > 2 || index < 0 || static_cast<size_t>(index) >= phrases.lists[list - 1].size())
        return result;
    const std::string& phrase = phrases.lists[list - 1][index];
    Addressed line;
    if (!m_state.targetPrefix.empty() && box.find(m_state.targetPrefix) != std::string_view::npos) {
        line.addresseeBit = m_state.targetSeatBit;
        line.text = m_state.targetSeatBit != 0
                        ? phrase
                        : seats.names[0] + withoutFirstCharacters(m_state.targetPrefix, 1) + phrase;
    } else {
        line.text = seats.names[0] + std::string(kSays) + phrase;
    }
    ChatLine frame;
    frame.seatBit = seats.ownSeatBit;
    frame.phraseList = static_cast<uint8_t>(list);
    frame.phraseNumber = static_cast<uint8_t>(index + 1);
    frame.addresseeBit = line.addresseeBit;
    frame.byte13 = list == 2 ? 97 : 0;
    m_state.targetPrefix.clear();
    result.send = ChatSend{encode(frame), std::move(line.text)};
    result.box = std::string();
    return result;
}

std::optional<std::string> ChatModel::portraitClicked(int relativeSeat, bool loggedIn, std::string_view box,
                                                      const ChatSeats& seats) {
    if (!loggedIn || relativeSeat < 1 || relativeSeat > 3 || seats.names[relativeSeat].empty()) return std::nullopt;
    std::string rest(box);
    if (!m_state.targetPrefix.empty() && box.find(m_state.targetPrefix) != std::string_view::npos)
        rest = withoutFirstCharacters(box, chatCharacters(m_state.targetPrefix));
    m_state.targetPrefix = chatTargetPrefix(seats.names[relativeSeat]);
    m_state.targetSeatBit = seats.seatBits[relativeSeat];
    return m_state.targetPrefix + rest;
}

void ChatModel::backspacePressed(std::string_view box, size_t caret) {
    if (m_state.targetPrefix.empty()) return;
    m_state.rememberedBox = std::string(box);
    if (caret <= chatCharacters(m_state.targetPrefix)) m_state.prefixHit = true;
}

std::optional<std::string> ChatModel::boxChanged() {
    if (!m_state.prefixHit) return std::nullopt;
    m_state.prefixHit = false;
    std::string text = withoutFirstCharacters(m_state.rememberedBox, chatCharacters(m_state.targetPrefix));
    m_state.targetPrefix.clear();
    m_state.targetSeatBit = 0;
    return text;
}

ChatReceived ChatModel::receive(const ChatLine& chat, const ChatSeats& seats, const QuickPhrases& phrases) {
    ChatReceived out;
    if ((chat.seatBit & 0x0F) == 0) {
        out.line = chat.text;
        addToHistory(out.line);
        pushToStrip(out.line);
        return out;
    }
    const int p = chatRelativeSeat(chat.seatBit & 0x0F, seats.ownSeatBit);
    out.speaker = p;
    if (seats.ownSeatBit != 0 && (chat.phraseList == 1 || chat.phraseList == 2)) {
        out.bubblePhrase = phrases.phrase(chat.phraseList, chat.phraseNumber);
        out.voiceFile = quickPhraseVoiceFile(p, seats.sexes[p], chat.phraseList, chat.phraseNumber);
    }
    const std::string& ownName = seats.names[0];
    if (chat.addresseeBit != 0) {
        const int t = chatRelativeSeat(chat.addresseeBit, seats.ownSeatBit);
        out.line = seats.names[p] + "对" + seats.names[t] + std::string(kSays) + chat.text;
        if (p == 0 || t == 0) out.line = replaceAll(out.line, ownName, kYou);
    } else {
        out.line = p == 0 ? replaceAll(chat.text, ownName, kYou) : chat.text;
    }
    out.line = FiltChat(out.line);
    addToHistory(out.line);
    pushToStrip(out.line);
    out.blink = p > 0;
    return out;
}

void ChatModel::clearHistory() { m_state.history.clear(); }

void ChatModel::addToHistory(std::string_view line) {
    for (std::string& l : wrapChatLine(line, kChatWrapColumns)) m_state.history.push_back(std::move(l));
}

void ChatModel::pushToStrip(std::string_view line) {
    std::string cut = firstChatCharacters(line, kChatStripCharacters);
    if (m_state.strip[1].empty()) {
        (m_state.strip[0].empty() ? m_state.strip[0] : m_state.strip[1]) = std::move(cut);
    } else {
        m_state.strip[0] = std::move(m_state.strip[1]);
        m_state.strip[1] = std::move(cut);
    }
}

}  // namespace vexal
