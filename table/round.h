// The round on the table: the deal, the calling turns, the own hand and its controls, every
// seat's plays and the settlement. The server decides the game; this shows it and sends the
// player's own choices.
#pragma once

#include <QHash>
#include <QLabel>
#include <QObject>
#include <QPoint>
#include <QPixmap>
#include <QTimer>

#include <array>
#include <functional>
#include <string>

#include "net/command.h"
#include "net/messages/settlement.h"
#include "model/roundstate.h"
#include "model/settlementlines.h"

namespace vexal {

class MainForm;
class PictureButton;
class Score;
class SequenceChoice;
class Sound;
class ucAniGIF;
struct SessionState;
enum class SoundEffect;

// What the round needs from the main loop. Tests put in recorders; `installRound` wires the real
// loop. Every entry must be set.
struct RoundServices {
    std::function<void(CommandFrame&)> send;  // `SendFrame`
    std::function<int()> countdown;
    std::function<void(int)> setCountdown;
    std::function<void(bool)> armPlayCountdown;
    std::function<bool()> playCountdownArmed;
    std::function<void(int)> startReadyCountdown;
    std::function<void()> restartSeatBubbleCount;
    std::function<void()> minimiseLobby;
    // The score sheet has been handled: departures held back since the round's end may go on.
    std::function<void()> scoreSheetHandled;
    // A card code that is no card arrived: minimise the table and close the connection.
    std::function<void()> leaveOnCorruptCard;
    std::function<void(int)> wait;        // a wait that processes window events
    std::function<double()> random01;     // uniform in [0, 1)
};

// Where the seat bubbles (过, 吼, 炸) sit, in table units: clear of the banker and partner markers,
// the back piles and the played cards. The own seat's is a pass mark right of its panel.
inline constexpr QPoint kBubbleAt[4] = {{205, 436}, {130, 290}, {560, 130}, {690, 280}};

// The small borderless window that says a choice breaks a rule; closes itself after 1.5 s.
class RuleNoticeWindow : public QLabel {
    Q_OBJECT
public:
    explicit RuleNoticeWindow(QWidget* table);
    void showNotice(int pictureNumber);
    int pictureNumber() const { return m_picture; }

private:
    QWidget* m_table;
    QTimer m_close;
    int m_picture = 0;
};

// The roar confirmation: a modal question with OK and Cancel.
class RoarConfirm : public QWidget {
    Q_OBJECT
public:
    explicit RoarConfirm(QWidget* table);
    PictureButton* ok;
    PictureButton* cancel;
signals:
    void answered(bool yes);
};

class RoundTable : public QObject {
    Q_OBJECT
public:
    RoundTable(SessionState& session, MainForm& form, RoundServices services, Sound* sound);
    ~RoundTable() override;

    RoundState& state() { return m_round; }
    const RoundState& state() const { return m_round; }

    // Deal (deal.cpp).
    void ResetRound();
    void onDeal(const CommandFrame& frame);
    void DealHand(const CommandFrame& frame);
    void ResetRoundLabels();
    void showMultiplier();
    void clearOwnHand();
    void moveTick();  // `trmMovePai`: one step of the flying card

    // Calling (calling.cpp).
    void OnCallingTurn(const CommandFrame& frame);
    void OnCallResult(const CommandFrame& frame);
    void OnCallClick();
    void OnRoarClick();
    void OnRoarConfirm(bool yes);
    void OnPassClick();
    void CallCountdownTick();
    bool seatBubbleShown() const;
    void hideSeatBubble();

    // The own hand and its controls (hand.cpp).
    void ShowCard();
    void cardLeftClick(int image);
    void rightClickPlay();
    void lowerPanelRightClick();
    void cardHover(int image);
    void backgroundMove();
    void OperationClick(int i);
    void OperationEnter(int i);
    void OperationLeave(int i);
    void lowerAll();
    void raiseImage(int image);
    bool isRaised(int image) const;
    void F1Pressed();
    // The hide button: the table goes out of sight without away mode.
    void hideTable();
    void openRulesPage();

    // Plays (play.cpp).
    void JudgeChuPai();
    void PassTurn();
    void OnPlay(const CommandFrame& frame);
    void EndReview();
    void startReview();
    void PlayCountdownTick();
    void hintPressed();
    void sequenceChosen(int option);
    void takeServerPlayedCards(const std::vector<CardCode>& played);

    // Settlement (settlement.cpp).
    void OnRoundEnd(const CommandFrame& frame);
    void ShowSettlement();
    void WriteRoundFile(int round);
    void ShowPastRound(int round);
    void hideScoreSheet();
    void clearScoreSheet();
    void toggleScoreSheet();
    void closeRoundWindows();
    // Where "info.vx" lives; the program's folder unless a test moves it.
    QString programDir;

    // Widgets, by the names the table uses.
    std::array<std::array<QLabel*, kCardImagesPerSeat>, 4> cardImage{};
    QLabel* imgFaPai = nullptr;
    QLabel* imgCardMove = nullptr;
    QLabel* imgMyPaiBei = nullptr;
    std::array<QLabel*, 3> shanImage{};
    QLabel* img_currBeishu = nullptr;
    QLabel* img_benlunFenshu = nullptr;
    std::array<QLabel*, 4> img_currDefen{};
    QLabel* lbl_currBeishu = nullptr;
    QLabel* lbl_benlunFenshu = nullptr;
    PictureButton* img_jiao = nullptr;
    PictureButton* img_hou = nullptr;
    PictureButton* img_pass = nullptr;
    QLabel* img_lpKuang = nullptr;
    QLabel* img_syscallcard = nullptr;
    QLabel* img_zhuang = nullptr;
    QLabel* img_zhuangFriend = nullptr;
    ucAniGIF* UcDiZhu = nullptr;
    ucAniGIF* bombPlayer = nullptr;
    std::array<QLabel*, 4> Speak{};
    std::array<QLabel*, 4> finishBadge{};
    std::array<PictureButton*, 6> Operation{};
    RuleNoticeWindow* RuleNotice = nullptr;
    SequenceChoice* sequenceChoice = nullptr;
    RoarConfirm* roarConfirm = nullptr;
    Score* score = nullptr;

    // VEXAL_AUTOPLAY=1 (demos and end-to-end runs): the player's turns are taken through the same
    // clicks a person makes, a moment after each turn opens.
    bool autoplay = false;
    int autoplayDelayMs = 150;
    void autoplayTurn();

    // VEXAL_SCREENSHOT_ROUND=prefix (visual checks): "<prefix>-play.png" when the own turn opens
    // after a dozen plays, "<prefix>-score.png" with the score sheet over the table.
    QString screenshotPrefix;
    void screenshotAfterPlay();
    void screenshotScore();

    // Test seam: the frames `DealHand` waits for each flying-card step.
    int dealSteps() const { return m_dealSteps; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidgets();
    QPixmap picture(int number);
    // False when the code is no card; the table is then on its way out and the caller stops.
    bool setCardImage(QLabel* image, CardCode code);
    void playEffect(SoundEffect effect);
    bool effectsOn() const;
    bool deviceOn() const;
    void send(CommandFrame frame);

    // Geometry in pixels of `Pic1`.
    double sx() const;
    double sy() const;
    int restingTop() const;
    int ownCardWidth() const;
    int ownCardHeight() const;
    int otherCardWidth() const;
    int otherCardHeight() const;
    int imageOfSlot(int slot) const;
    int slotOfImage(int image) const;

    // Countdown display shared with the ready countdown.
    void placeCountdown(int relativeSeat);
    void placeReadyClock();
    void showCountdownNumber(int seconds, bool red);
    void hideCountdown();
    void showPlayButtons(bool play, bool hint, bool pass);
    void hidePlayButtons();
    void showSeatBubble(int r, int pictureNumber);
    void showBackPile(int r, int count);
    void showFinishingBadge(int r);
    void hideShown(int r);
    void showPlay(int r, const ShownPlay& play);
    void hidePlay(int r, const ShownPlay& play);
    void clearTrick();
    void showPassMark(int r);
    void hidePassMark(int r);
    void layOpponentRow(int r);
    void runBombAnimation();
    void flyLeg(int pictureNumber, int dx, int dy, const std::function<bool(const QRect&)>& arrived);
    void showCalledCard(uint8_t rank, uint8_t suitBit);
    QPoint seatMarkerPos(int r) const;

    SessionState& m_session;
    MainForm& m_form;
    RoundServices m_services;
    Sound* m_sound;
    RoundState m_round;
    QHash<int, QPixmap> m_pictures;
    CardPictureTable m_cardPictures;
    double m_cardPictureScale = 0;
    QTimer m_reviewTimer;
    QTimer m_bombEnd;
    int m_hoveredImage = -1;
    int m_lastLowered = -1;
    int m_moveDx = 0;
    int m_moveDy = 0;
    int m_dealSteps = 0;
    int m_speaking = -1;
    int m_playsShown = 0;
    bool m_playShot = false;

    // Settlement.
    std::array<SettlementRecord, 4> m_records{};
    int m_recordCount = 0;
    uint8_t m_coinUnit = kCoinUnitCoins;
};

}  // namespace vexal
