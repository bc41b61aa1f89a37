// `RoundView`: the round's widgets on the table: the own hand and its controls, every seat's plays,
// back piles, bubbles and markers, the round's labels, its animations and the score sheet. It draws
// what the round model holds and the view changes it is handed, and turns the player's clicks and
// keys into intents; it decides nothing.
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
#include <vector>

#include "model/roundmodel.h"

namespace vexal {

class ClockView;
class MainForm;
class PictureButton;
class Score;
class SequenceChoice;
class Sound;
class ucAniGIF;

// Where the seat bubbles (过, 吼, 炸) sit, in table units: clear of the banker and partner markers,
// the back piles, the played cards and every seat's countdown clock (the top seat's bubble hangs
// under its clock). The own seat's is a pass mark right of its panel.
inline constexpr QPoint kBubbleAt[4] = {{205, 436}, {130, 290}, {556, 166}, {690, 280}};

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

// A modal question with OK and Cancel on a dialog picture: the roar confirmation, whose question
// is part of its picture, and the question before a hidden call, which names the card and so is
// written over the plain dialog panel.
class ConfirmDialog : public QWidget {
    Q_OBJECT
public:
    // `fallback` is the question shown when the picture cannot be loaded.
    ConfirmDialog(QWidget* table, int pictureNumber, const QString& fallback);
    // A question over the picture: its first line large, the lines after it smaller.
    void setQuestion(const QString& text);
    QString question() const { return m_text; }
    PictureButton* ok;
    PictureButton* cancel;
signals:
    void answered(bool yes);

private:
    QLabel* m_question;
    QString m_text;
};

class RoundView : public QObject {
    Q_OBJECT
public:
    RoundView(const RoundModel& model, MainForm& form, ClockView& clock, Sound* sound);
    ~RoundView() override;

    // Where the player's clicks and keys go; unset, they go nowhere.
    std::function<void(const RoundIntent&)> onIntent;

    // Draws the changes in order; a pause waits with the window live.
    void draw(const std::vector<ViewChange>& changes);
    void draw(const ViewChange& change);

    // The score sheet, by the table's buttons and the session record.
    void toggleScoreSheet();
    void showScoreBoard();  // the sheet as it stands, centred over the table
    void showPastRound(int round);
    void hideScoreSheet();
    void clearScoreSheet();
    void closeRoundWindows();
    // The record of the round just settled, in "info.vx" beside the program.
    void writeRoundFile(int round);
    // Where "info.vx" lives; the program's folder unless a test moves it.
    QString programDir;
    // A wait that keeps the window live; tests make it return at once.
    std::function<void(int)> wait;

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
    ConfirmDialog* roarConfirm = nullptr;
    ConfirmDialog* hiddenCallConfirm = nullptr;
    Score* score = nullptr;

    // Test seams: the frames the deal's flying card took, and whether the hand's image is raised
    // on screen (a click lifts a fifth of the card's height; the hover's 5 px is not a raise).
    int dealSteps() const { return m_dealSteps; }
    bool isRaised(int image) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidgets();
    void intend(const RoundIntent& intent);
    QPixmap picture(int number);
    void setCardImage(QLabel* image, CardCode code);
    void putAway(QLabel* image);
    void playCue(Cue cue);

    // Geometry in pixels of `Pic1`.
    double sx() const;
    double sy() const;
    int restingTop() const;
    int ownCardWidth() const;
    int ownCardHeight() const;
    int otherCardWidth() const;
    int otherCardHeight() const;
    int anchorX(int seat) const;
    int anchorY(int seat) const;

    // One drawing per part of the model (deal.cpp, calling.cpp, hand.cpp, play.cpp, settlement.cpp).
    void clearRound();
    void layOutDeal(const view::DealLaidOut& deal);
    void flyLeg(int pictureNumber, int dx, int dy, const std::function<bool(const QRect&)>& arrived);
    void drawLabels();
    void showMultiplier();
    void drawHand();
    void drawControls();
    void drawTableCards();
    void drawBackPiles();
    void drawMarkers();
    void drawBubbles();
    void showCalledCard(uint8_t rank, uint8_t suitBit, bool flies);
    void stopCentredAnimation();
    void runBombAnimation();
    void runCentredAnimation(int pictureNumber, int loops, int ms);
    void showScoreSheet(const SettlementSheet& sheet);
    void hideTable();
    QPoint seatMarkerPos(int r) const;
    QPoint bankerMarkerPos(int r) const;

    // The pointer's hover lift and the hand buttons' hover pictures belong to the view alone.
    void cardHover(int image);
    void backgroundMove();
    void dropButtonHover();
    void operationEnter(int i);
    void operationLeave(int i);
    void putHoveredBack();

    const RoundModel& m_model;
    MainForm& m_form;
    ClockView& m_clock;
    Sound* m_sound;
    CardPictureTable m_cardPictures;
    double m_cardPictureScale = 0;
    QTimer m_reviewTimer;
    QTimer m_bombEnd;
    int m_hoveredImage = -1;
    int m_lastLowered = -1;
    int m_dealSteps = 0;
};

}  // namespace vexal
