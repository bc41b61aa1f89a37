// The chat's windows: the chat box's keys, the history window `Talk`, the quick-phrase window
// `huifu` with its two table buttons, and the speech bubbles beside the seats. The decisions are
// the chat model's; this side reports what the player does and draws what the model decided.
#pragma once

#include <QImage>
#include <QListWidget>
#include <QObject>
#include <QPushButton>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>

#include "model/chat.h"

class QLabel;

namespace vexal {

class MainForm;
class PictureButton;
class Sound;

// The window shape of a bubble picture: every run of pixels, row by row, whose colour differs from
// the colour of the top-left pixel.
QRegion bubbleRegion(const QImage& picture);

// Where relative seat r's bubble goes, in table units on the felt (`Pic1`), and where its text
// sits inside the bubble picture, in the picture's pixels at full size. The bubble and its text
// follow the table's scale, so one place serves both sizes.
struct BubblePlace {
    int left, top, textLeft, textTop;
};
extern const std::array<BubblePlace, 4> kBubblePlaces;

// `Talk`: the chat history.
class ChatHistoryWindow : public QWidget {
    Q_OBJECT
public:
    explicit ChatHistoryWindow(QWidget* parent);
    QListWidget* Text1;
    QPushButton* close;
};

// `huifu`: the two quick-phrase lists, one shown at a time.
class QuickPhraseWindow : public QWidget {
    Q_OBJECT
public:
    explicit QuickPhraseWindow(QWidget* parent);
    std::array<QListWidget*, 2> lists{};  // `List1`, `List2`
    QPushButton* close;
    int shownList() const;  // 1 or 2; 0 while hidden

signals:
    void phraseChosen(int list, int index);
};

// `frmSpeakBox`: one borderless bubble shaped by its picture, fading in and out by itself.
class SpeakBox : public QWidget {
    Q_OBJECT
public:
    SpeakBox(int seat, const QImage& picture, QWidget* parent);
    int seat() const { return m_seat; }
    QLabel* labPhrase;
    QTimer tmrFadeIn;
    // Shows `phrase` at `where` (screen) with its text at `textAt` (inside the bubble), fading.
    void showMe(const QPoint& where, const QPoint& textAt, const QString& phrase, const BubbleFade& fade);
    // Away at once: the fade stops, the window is fully transparent and hidden.
    void withdraw();
    bool showing() const { return m_showing; }
    int opacity() const { return m_opacity; }

private:
    void fadeTick();
    void park(int times);
    void SetBubbleOpacity(int alpha);
    int m_seat;
    QLabel* m_picture;
    BubbleFade m_fade;
    bool m_showing = false;
    int m_opacity = 0;
};

class ChatView : public QObject {
    Q_OBJECT
public:
    // `sound` may be null: the table then stays silent. The windows belong to the table window;
    // this object must go before the table window does (its owner is the main loop).
    ChatView(MainForm& form, const ChatModel& model, Sound* sound);
    ~ChatView() override;

    // The player's doings, as intents for the chat model.
    std::function<void(const ChatIntent&)> onIntent;

    // Draws what an input decision asks for: the box, its focus and the history.
    void drawInput(const ChatInputResult& result);
    // Draws a received line: history, strip, and for a quick phrase the bubble and the voice.
    void drawReceived(const ChatReceived& received);
    void drawHistory();

    // Button 1 and Alt+C.
    void toggleHistory();
    void showHistoryCentred();
    // `imgword1` / `imgword2`.
    void togglePhrases(int list);
    void hidePhrases();
    void hideWindows();
    void setPhrases(const QuickPhrases& phrases);

    // Bubble of relative seat r, made on first use (`PrepareBubble`); null before.
    SpeakBox* PrepareBubble(int r);
    SpeakBox* bubble(int r) const { return m_bubbles[static_cast<size_t>(r)]; }

    ChatHistoryWindow* Talk() const { return m_talk; }
    QuickPhraseWindow* huifu() const { return m_huifu; }
    std::array<PictureButton*, 2> imgword{};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void intend(const ChatIntent& intent);
    void placeWordButtons();
    void tableMinimised();
    void tableRestored();
    bool tableNormal() const;

    MainForm& m_form;
    const ChatModel& m_model;
    Sound* m_sound;
    ChatHistoryWindow* m_talk;
    QuickPhraseWindow* m_huifu;
    bool m_talkPlaced = false;
    std::array<SpeakBox*, 4> m_bubbles{};
};

}  // namespace vexal
