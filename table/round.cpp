// Building the round's widgets, the shared drawing helpers and the wiring into the main loop.
#include "table/round.h"
#include "core/overloaded.h"

#include "media/anigif.h"
#include "media/resources.h"
#include "media/sound.h"
#include "platform/eventwait.h"
#include "platform/trace.h"
#include "table/clockview.h"
#include "table/mainform.h"
#include "table/score.h"
#include "table/sequencechoice.h"
#include "model/session.h"
#include "table/widgets.h"
#include "table/windows.h"

#include <QCoreApplication>

#include <algorithm>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QVBoxLayout>

namespace vexal {

RuleNoticeWindow::RuleNoticeWindow(QWidget* table)
    : QLabel(table, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_table(table) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_close.setSingleShot(true);
    m_close.setInterval(1500);
    connect(&m_close, &QTimer::timeout, this, &QWidget::hide);
    hide();
}

void RuleNoticeWindow::showNotice(int pictureNumber) {
    m_picture = pictureNumber;
    QPixmap pm;
    if (LoadGifResource(pictureNumber, kGifResourceType, pm)) {
        setPixmap(pm);
        resize(pm.size());
    }
    centreOver(this, m_table);
    setWindowOpacity(200 / 255.0);
    show();
    raise();
    m_close.start();
}

ConfirmDialog::ConfirmDialog(QWidget* table, int pictureNumber, const QString& fallback)
    : QWidget(table, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setWindowModality(Qt::ApplicationModal);
    // The dialog picture is the whole window: its rounded corners show the table behind them.
    setAttribute(Qt::WA_TranslucentBackground);
    auto* face = new QLabel(this);
    QPixmap pm;
    if (LoadGifResource(pictureNumber, kGifResourceType, pm)) {
        face->setPixmap(pm);
        setFixedSize(pm.size());
        // Cut to the picture's outline too: without a compositor the see-through corners draw black.
        if (pm.hasAlphaChannel() || pm.hasAlpha())
            setMask(pm.mask());
    } else {
        face->setStyleSheet(QStringLiteral("background: rgb(250, 244, 226);"));
        setFixedSize(280, 130);
    }
    face->setGeometry(rect());
    ok = new PictureButton(QStringLiteral("确定"), this);
    cancel = new PictureButton(QStringLiteral("取消"), this);
    QPixmap p;
    if (LoadGifResource(203, kGifResourceType, p))
        ok->showPicture(p);
    if (LoadGifResource(205, kGifResourceType, p))
        cancel->showPicture(p);
    // Side by side under the question, in the picture's lower band.
    const QSize button(std::min(ok->sizeHint().width(), 90), std::min(ok->sizeHint().height(), 34));
    const int top = height() - button.height() - 10;
    ok->setGeometry(width() / 2 - button.width() - 10, top, button.width(), button.height());
    cancel->setGeometry(width() / 2 + 10, top, button.width(), button.height());
    ok->setScaledContents(true);
    cancel->setScaledContents(true);
    // Between the picture's title bar and the buttons, in the colour of the pictures' questions.
    m_question = new QLabel(this);
    m_question->setGeometry(12, 32, width() - 24, top - 36);
    m_question->setAlignment(Qt::AlignCenter);
    m_question->setWordWrap(true);
    m_question->setTextFormat(Qt::RichText);
    m_question->setStyleSheet(QStringLiteral("color: rgb(120, 24, 16); background: transparent;"));
    m_question->hide();
    if (pm.isNull())
        setQuestion(fallback);
    connect(ok, &PictureButton::clicked, this, [this] { emit answered(true); });
    connect(cancel, &PictureButton::clicked, this, [this] { emit answered(false); });
    hide();
}

void ConfirmDialog::setQuestion(const QString& text) {
    m_text = text;
    const QStringList lines = text.split(QLatin1Char('\n'));
    QString html = QStringLiteral("<div style=\"font-size: 17px; font-weight: bold;\">%1</div>")
                       .arg(lines.value(0).toHtmlEscaped());
    for (qsizetype i = 1; i < lines.size(); ++i)
        html += QStringLiteral("<div style=\"font-size: 13px; margin-top: 6px;\">%1</div>")
                    .arg(lines[i].toHtmlEscaped());
    m_question->setText(html);
    m_question->setVisible(!text.isEmpty());
    m_question->raise();
}

RoundView::RoundView(const RoundModel& model, MainForm& form, ClockView& clock, Sound* sound)
    : m_model(model), m_form(form), m_clock(clock), m_sound(sound) {
    programDir = QCoreApplication::applicationDirPath();
    wait = [](int ms) { waitProcessingEvents(ms); };
    buildWidgets();
    m_clock.setSheet(score);
    m_reviewTimer.setSingleShot(true);
    m_reviewTimer.setInterval(3000);
    connect(&m_reviewTimer, &QTimer::timeout, this, [this] { intend(intent::EndReview{}); });
    m_bombEnd.setSingleShot(true);
    connect(&m_bombEnd, &QTimer::timeout, this, &RoundView::stopCentredAnimation);
    clearRound();
}

RoundView::~RoundView() = default;

namespace {
QLabel* pictureLabel(QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setScaledContents(true);
    l->hide();
    return l;
}
}  // namespace

void RoundView::buildWidgets() {
    QWidget* pic = m_form.Pic1;
    for (int r = 0; r < 4; ++r) {
        for (int i = 0; i < kCardImagesPerSeat; ++i) {
            QLabel* c = pictureLabel(pic);
            c->setObjectName(QStringLiteral("cardImage%1_%2").arg(r).arg(i));
            if (r == 0) {
                c->setMouseTracking(true);
                c->installEventFilter(this);
            }
            cardImage[r][i] = c;
        }
    }
    imgFaPai = pictureLabel(pic);
    imgCardMove = pictureLabel(pic);
    imgMyPaiBei = pictureLabel(pic);
    for (QLabel*& s : shanImage)
        s = pictureLabel(pic);
    img_currBeishu = pictureLabel(pic);
    img_benlunFenshu = pictureLabel(pic);
    img_currBeishu->setPixmap(picture(picture::kMultiplierIcon));
    img_benlunFenshu->setPixmap(picture(picture::kTablePointsIcon));
    for (QLabel*& i : img_currDefen) {
        i = pictureLabel(pic);
        i->setPixmap(picture(picture::kPointsTakenIcon));
    }
    lbl_currBeishu = new QLabel(pic);
    lbl_benlunFenshu = new QLabel(pic);
    for (QLabel* l : {lbl_currBeishu, lbl_benlunFenshu}) {
        l->setStyleSheet(QStringLiteral("color: #ffe27a; font-weight: bold;"));
        l->hide();
    }
    img_jiao = new PictureButton(QStringLiteral("叫"), pic);
    img_hou = new PictureButton(QStringLiteral("吼"), pic);
    img_pass = new PictureButton(QStringLiteral("过"), pic);
    connect(img_jiao, &PictureButton::clicked, this, [this] { intend(intent::PressCall{}); });
    connect(img_hou, &PictureButton::clicked, this, [this] { intend(intent::PressRoar{}); });
    connect(img_pass, &PictureButton::clicked, this, [this] { intend(intent::PressCallPass{}); });
    connect(img_jiao, &PictureButton::entered, this, [this] { img_jiao->showPicture(picture(208)); });
    connect(img_hou, &PictureButton::entered, this, [this] { img_hou->showPicture(picture(202)); });
    connect(img_pass, &PictureButton::entered, this, [this] { img_pass->showPicture(picture(185)); });
    for (PictureButton* b : {img_jiao, img_hou, img_pass}) {
        b->setScaledContents(true);
        b->hide();
    }
    img_lpKuang = pictureLabel(pic);
    img_lpKuang->setPixmap(picture(picture::kCalledCardFrame));
    img_syscallcard = pictureLabel(pic);
    img_zhuang = pictureLabel(pic);
    img_zhuang->setPixmap(picture(picture::kBankerMarker));
    img_zhuangFriend = pictureLabel(pic);
    img_zhuangFriend->setPixmap(picture(picture::kPartnerMarker));
    UcDiZhu = new ucAniGIF(pic);
    UcDiZhu->hide();
    bombPlayer = new ucAniGIF(pic);
    bombPlayer->setAttribute(Qt::WA_TransparentForMouseEvents);
    bombPlayer->hide();
    for (int r = 0; r < 4; ++r) {
        Speak[r] = pictureLabel(pic);
        finishBadge[r] = pictureLabel(pic);
    }
    static const char* const kOperation[6] = {"出牌", "提示", "过", "排序", "上一轮", "恢复"};
    for (int i = 0; i < 6; ++i) {
        auto* b = new PictureButton(QString::fromUtf8(kOperation[i]), pic);
        b->setObjectName(QStringLiteral("Operation%1").arg(i));
        b->setScaledContents(true);
        b->showPicture(picture(i < 3 ? 178 + 3 * i : 187 + 2 * (i - 3)));
        connect(b, &PictureButton::clicked, this, [this, i] { intend(intent::PressControl{i}); });
        connect(b, &PictureButton::entered, this, [this, i] { operationEnter(i); });
        connect(b, &PictureButton::left, this, [this, i] { operationLeave(i); });
        b->hide();
        Operation[static_cast<size_t>(i)] = b;
    }
    RuleNotice = new RuleNoticeWindow(&m_form);
    sequenceChoice = new SequenceChoice(&m_form);
    connect(sequenceChoice, &SequenceChoice::chosen, this, [this](int option) { intend(intent::ChooseSequence{option}); });
    roarConfirm = new ConfirmDialog(&m_form, picture::kRoarConfirm, QStringLiteral("您确定要“吼”吗?"));
    connect(roarConfirm, &ConfirmDialog::answered, this, [this](bool yes) { intend(intent::AnswerRoar{yes}); });
    hiddenCallConfirm = new ConfirmDialog(&m_form, picture::kDialogPanel, QString());
    connect(hiddenCallConfirm, &ConfirmDialog::answered, this,
            [this](bool yes) { intend(intent::AnswerHiddenCall{yes}); });
    score = new Score(&m_form);
    pic->installEventFilter(this);
    m_form.imgDilan->installEventFilter(this);
    m_form.installEventFilter(this);  // F1 reaches the window itself when no child has the focus
    connect(m_form.hero, &Hero::pastRoundRequested, this, [this](int n) {
        showPastRound(n);
        centreOver(score, &m_form);
        m_form.keepOwnTurnFree(score);
        score->show();
        score->raise();
    });
}

// Pictures stay decoded while a label shows them; one no label shows is decoded again when next
// asked for, so the round does not keep the whole deck decoded.
QPixmap RoundView::picture(int number) {
    QPixmap pm;
    LoadGifResource(number, kGifResourceType, pm);
    return pm;
}

// `SetCardPicture`: the card set follows the table's scale (large faces only at full size). The
// model lets no code that is no card reach a picture.
void RoundView::setCardImage(QLabel* image, CardCode code) {
    const int index = isWild(code) ? cardRank(code) : pictureIndex(code);
    if (m_cardPictureScale != m_form.scaleX()) {
        m_cardPictureScale = m_form.scaleX();
        m_cardPictures = CardPictureTable::forScale(m_cardPictureScale);
    }
    const int resource = m_cardPictures.resource(index);
    image->setPixmap(picture(resource));
    image->setProperty("card", static_cast<int>(code));
    image->setProperty("picture", resource);
}

// A card or pile off the table lets its picture go (and the label's scaled copy of it): a round
// passes most of the deck over the four seats' labels, and hidden labels holding faces, flying
// cards and decks kept megabytes nobody sees. Every such label is given its picture again before
// it is shown.
void RoundView::putAway(QLabel* image) {
    image->hide();
    if (!image->pixmap().isNull())
        image->setPixmap(QPixmap());
}

// Sounds follow the table's switches and fall silent while the player is away: the effects
// switch for all but the countdown's tick, which needs only the device.
void RoundView::playCue(Cue cue) {
    if (!m_sound || m_model.session().awayMode)
        return;
    if (cue == Cue::TurnTick) {
        if (m_sound->deviceOn())
            m_sound->playTurnTick();
        return;
    }
    if (!m_sound->effectsOn())
        return;
    static const struct {
        Cue cue;
        SoundEffect effect;
    } kEffects[] = {{Cue::Deal, SoundEffect::Deal},           {Cue::CardRaised, SoundEffect::CardRaised},
                    {Cue::CardLowered, SoundEffect::CardLowered}, {Cue::PlayShown, SoundEffect::PlayShown},
                    {Cue::OwnPlaySent, SoundEffect::OwnPlaySent}, {Cue::PlayControl, SoundEffect::PlayControl},
                    {Cue::RoundEndSheet, SoundEffect::RoundEndSheet}, {Cue::OneCardLeft, SoundEffect::OneCardLeft},
                    {Cue::Win, SoundEffect::Win},             {Cue::Lose, SoundEffect::Lose},
                    {Cue::Roar, SoundEffect::Roar}};
    for (const auto& e : kEffects)
        if (e.cue == cue)
            m_sound->playTableEffect(e.effect);
}

void RoundView::intend(const RoundIntent& i) {
    if (onIntent)
        onIntent(i);
}

double RoundView::sx() const { return m_form.scaleX(); }
double RoundView::sy() const { return m_form.scaleY(); }
int RoundView::restingTop() const { return qRound(568 * sy()); }
int RoundView::ownCardWidth() const { return qRound(90 * sx()); }
int RoundView::ownCardHeight() const { return qRound(120 * sy()); }
int RoundView::otherCardWidth() const { return qRound(80 * sx()); }
int RoundView::otherCardHeight() const { return qRound(108 * sy()); }

// The round's anchors of the own seat and the opponents, in table units.
namespace {
constexpr int kAnchor[4][2] = {{500, 430}, {250, 310}, {500, 205}, {774, 310}};
}  // namespace
int RoundView::anchorX(int seat) const { return qRound(kAnchor[seat][0] * sx()); }
int RoundView::anchorY(int seat) const { return qRound(kAnchor[seat][1] * sy()); }



void RoundView::draw(const std::vector<ViewChange>& changes) {
    for (const ViewChange& c : changes)
        draw(c);
}

void RoundView::draw(const ViewChange& change) {
    const RoundState& st = m_model.state();
    std::visit(Overloaded{
                   [&](const view::DealLaidOut& d) { layOutDeal(d); },
                   [&](const view::HandChanged&) { drawHand(); },
                   [&](const view::TableCardsChanged&) {
                       drawTableCards();
                       if (st.reviewShowing && !m_reviewTimer.isActive())
                           m_reviewTimer.start();
                       else if (!st.reviewShowing)
                           m_reviewTimer.stop();
                   },
                   [&](const view::BackPilesChanged&) { drawBackPiles(); },
                   [&](const view::LabelsChanged&) { drawLabels(); },
                   [&](const view::MarkersChanged&) { drawMarkers(); },
                   [&](const view::ControlsChanged&) { drawControls(); },
                   [&](const view::ClockChanged&) { m_clock.draw(m_model.clock()); },
                   [&](const view::BubbleChanged&) { drawBubbles(); },
                   [&](const view::RoundCleared&) { clearRound(); },
                   [&](const view::CalledCardShown& c) { showCalledCard(c.rank, c.suitBit, c.flies); },
                   [&](const view::BombAnimation&) { runBombAnimation(); },
                   [&](const view::AnimationStopped&) { stopCentredAnimation(); },
                   [&](const view::RoarAnimation&) { runCentredAnimation(picture::kRoar, 1, 3000); },
                   [&](const view::RoarOutcomeAnimation& a) {
                       runCentredAnimation(a.won ? picture::kWin : picture::kLose, 1, 4000);
                   },
                   [&](const view::RuleNotice& n) {
                       if (n.picture == 0)
                           RuleNotice->hide();
                       else
                           RuleNotice->showNotice(n.picture);
                   },
                   [&](const view::SequenceChoiceOpened& o) {
                       sequenceChoice->open({QString::fromStdString(o.texts[0]), QString::fromStdString(o.texts[1])});
                   },
                   [&](const view::SequenceChoiceClosed&) { sequenceChoice->hide(); },
                   [&](const view::RoarConfirmOpened&) {
                       roarConfirm->adjustSize();
                       centreOver(roarConfirm, &m_form);
                       roarConfirm->show();
                       roarConfirm->raise();
                   },
                   [&](const view::RoarConfirmClosed&) {
                       if (roarConfirm->isVisible()) {
                           roarConfirm->hide();
                           m_form.activateWindow();
                       }
                   },
                   [&](const view::HiddenCallConfirmOpened& o) {
                       hiddenCallConfirm->setQuestion(QString::fromStdString(o.question));
                       centreOver(hiddenCallConfirm, &m_form);
                       hiddenCallConfirm->show();
                       hiddenCallConfirm->raise();
                   },
                   [&](const view::HiddenCallConfirmClosed&) {
                       if (hiddenCallConfirm->isVisible()) {
                           hiddenCallConfirm->hide();
                           m_form.activateWindow();
                       }
                   },
                   [&](const view::StatusLine& l) { m_form.setSysmsg(l.line, QString::fromStdString(l.text)); },
                   [&](const view::ScoreSheetShown& s) { showScoreSheet(s.sheet); },
                   [&](const view::Pause& p) { wait(p.ms); },
                   [&](const view::TableHidden&) { hideTable(); },
                   [&](const view::Sound& s) { playCue(s.cue); },
               },
               change);
}

bool RoundView::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type t = event->type();
    if (watched == &m_form) {
        if (t == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            intend(intent::GoAway{});
            return true;
        }
        return false;
    }
    if (watched == m_form.Pic1 || watched == m_form.imgDilan) {
        if (t == QEvent::MouseMove) {
            backgroundMove();
        } else if (t == QEvent::MouseButtonPress) {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() == Qt::RightButton) {
                if (watched == m_form.Pic1)
                    intend(intent::RightClickTable{});
                else
                    intend(intent::RightClickLowerPanel{});
            }
            if (watched == m_form.Pic1) {
                hideScoreSheet();
                m_form.hero->hide();
                m_form.HidePlayerInfo();
            }
        } else if (t == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            intend(intent::GoAway{});
            return true;
        }
        return false;
    }
    auto* label = qobject_cast<QLabel*>(watched);
    if (!label)
        return false;
    int image = -1;
    for (int i = 0; i < kCardImagesPerSeat; ++i)
        if (cardImage[0][i] == label)
            image = i;
    if (image < 0)
        return false;
    if (t == QEvent::MouseButtonPress) {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::LeftButton) {
            // A card just lowered is not lifted again by the hover until the pointer leaves it.
            if (m_model.state().raised[static_cast<size_t>(image)])
                m_lastLowered = image;
            else if (m_hoveredImage == image)
                m_hoveredImage = -1;
            intend(intent::ClickCard{image});
        } else if (e->button() == Qt::RightButton) {
            intend(intent::RightClickTable{});
        }
        return true;
    }
    if (t == QEvent::Leave) {
        if (image == m_hoveredImage)
            putHoveredBack();
        return false;
    }
    if (t == QEvent::MouseMove) {
        // Taken here: passed on, the move would reach the table below and put the card back.
        dropButtonHover();
        cardHover(image);
        return true;
    }
    return false;
}

}  // namespace vexal
