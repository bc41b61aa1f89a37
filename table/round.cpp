// Building the round's widgets, the shared drawing helpers and the wiring into the main loop.
#include "table/round.h"

#include "media/anigif.h"
#include "media/resources.h"
#include "media/sound.h"
#include "platform/eventwait.h"
#include "platform/trace.h"
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

RoarConfirm::RoarConfirm(QWidget* table) : QWidget(table, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setWindowModality(Qt::ApplicationModal);
    // The dialog picture is the whole window: its rounded corners show the table behind them.
    setAttribute(Qt::WA_TranslucentBackground);
    auto* face = new QLabel(this);
    QPixmap pm;
    if (LoadGifResource(picture::kRoarConfirm, kGifResourceType, pm)) {
        face->setPixmap(pm);
        setFixedSize(pm.size());
        // Cut to the picture's outline too: without a compositor the see-through corners draw black.
        if (pm.hasAlphaChannel() || pm.hasAlpha())
            setMask(pm.mask());
    } else {
        face->setText(QStringLiteral("您确定要“吼”吗?"));
        face->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        face->setStyleSheet(QStringLiteral("background: rgb(250, 244, 226); padding-top: 40px;"));
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
    connect(ok, &PictureButton::clicked, this, [this] { emit answered(true); });
    connect(cancel, &PictureButton::clicked, this, [this] { emit answered(false); });
    hide();
}

RoundTable::RoundTable(SessionState& session, MainForm& form, RoundServices services, Sound* sound)
    : m_session(session), m_form(form), m_services(std::move(services)), m_sound(sound) {
    programDir = QCoreApplication::applicationDirPath();
    buildWidgets();
    m_reviewTimer.setSingleShot(true);
    m_reviewTimer.setInterval(3000);
    connect(&m_reviewTimer, &QTimer::timeout, this, &RoundTable::EndReview);
    m_bombEnd.setSingleShot(true);
    connect(&m_bombEnd, &QTimer::timeout, this, [this] {
        bombPlayer->setAction(0);
        bombPlayer->hide();
    });
    m_round.hands[0].seatBit = m_session.own.seatBit;
    ResetRound();
}

RoundTable::~RoundTable() = default;

namespace {
QLabel* pictureLabel(QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setScaledContents(true);
    l->hide();
    return l;
}
}  // namespace

void RoundTable::buildWidgets() {
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
    connect(img_jiao, &PictureButton::clicked, this, &RoundTable::OnCallClick);
    connect(img_hou, &PictureButton::clicked, this, &RoundTable::OnRoarClick);
    connect(img_pass, &PictureButton::clicked, this, &RoundTable::OnPassClick);
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
        connect(b, &PictureButton::clicked, this, [this, i] { OperationClick(i); });
        connect(b, &PictureButton::entered, this, [this, i] { OperationEnter(i); });
        connect(b, &PictureButton::left, this, [this, i] { OperationLeave(i); });
        b->hide();
        Operation[static_cast<size_t>(i)] = b;
    }
    RuleNotice = new RuleNoticeWindow(&m_form);
    sequenceChoice = new SequenceChoice(&m_form);
    connect(sequenceChoice, &SequenceChoice::chosen, this, &RoundTable::sequenceChosen);
    roarConfirm = new RoarConfirm(&m_form);
    connect(roarConfirm, &RoarConfirm::answered, this, &RoundTable::OnRoarConfirm);
    score = new Score(&m_form);
    pic->installEventFilter(this);
    m_form.imgDilan->installEventFilter(this);
    m_form.installEventFilter(this);  // F1 reaches the window itself when no child has the focus
    connect(m_form.hero, &Hero::pastRoundRequested, this, [this](int n) {
        ShowPastRound(n);
        centreOver(score, &m_form);
        score->show();
        score->raise();
    });
}

QPixmap RoundTable::picture(int number) {
    auto it = m_pictures.find(number);
    if (it != m_pictures.end())
        return *it;
    QPixmap pm;
    LoadGifResource(number, kGifResourceType, pm);
    m_pictures.insert(number, pm);
    return pm;
}

// `SetCardPicture`: the card set follows the table's scale (large faces only at full size), and a
// code that is no card is not drawn: the frame that carried it cannot be trusted, so the table
// leaves.
bool RoundTable::setCardImage(QLabel* image, CardCode code) {
    const int index = isWild(code) ? cardRank(code) : pictureIndex(code);
    if (!isValidPictureIndex(index)) {
        trace("corrupt-card", QString::number(static_cast<uint32_t>(code), 16));
        m_services.leaveOnCorruptCard();
        return false;
    }
    if (m_cardPictureScale != m_form.scaleX()) {
        m_cardPictureScale = m_form.scaleX();
        m_cardPictures = CardPictureTable::forScale(m_cardPictureScale);
    }
    const int resource = m_cardPictures.resource(index);
    image->setPixmap(picture(resource));
    image->setProperty("card", static_cast<int>(code));
    image->setProperty("picture", resource);
    return true;
}

bool RoundTable::effectsOn() const { return m_sound && m_sound->effectsOn() && !m_session.awayMode; }
bool RoundTable::deviceOn() const { return m_sound && m_sound->deviceOn() && !m_session.awayMode; }

void RoundTable::playEffect(SoundEffect effect) {
    if (effectsOn())
        m_sound->playTableEffect(effect);
}

void RoundTable::send(CommandFrame frame) { m_services.send(frame); }

double RoundTable::sx() const { return m_form.scaleX(); }
double RoundTable::sy() const { return m_form.scaleY(); }
int RoundTable::restingTop() const { return qRound(568 * sy()); }
int RoundTable::ownCardWidth() const { return qRound(90 * sx()); }
int RoundTable::ownCardHeight() const { return qRound(120 * sy()); }
int RoundTable::otherCardWidth() const { return qRound(80 * sx()); }
int RoundTable::otherCardHeight() const { return qRound(108 * sy()); }

int RoundTable::imageOfSlot(int slot) const { return m_round.hands[0].images[static_cast<size_t>(slot)]; }

int RoundTable::slotOfImage(int image) const {
    const Hand& h = m_round.hands[0];
    for (int s = 0; s < h.count; ++s)
        if (h.images[static_cast<size_t>(s)] == image)
            return s;
    return -1;
}

void RoundTable::placeCountdown(int r) {
    const double w = 64;
    static const double kTop[4] = {550, 210, 100, 210};
    const double left[4] = {800, 0.2 * w, 600, 1024 - 1.2 * w};
    m_form.Time_Img->setGeometry(m_form.units(left[r], kTop[r], w, w));
    const bool small = sx() < 1;
    const QRect clock = m_form.Time_Img->geometry();
    m_form.Number->setGeometry(clock.left() + qRound((small ? 33 : 26) * sx()),
                               clock.top() + qRound((small ? 31 : 26) * sy()), qRound(30 * sx()), qRound(20 * sy()));
    m_form.Time_Img->show();
    m_form.Time_Img->raise();
    m_form.Number->show();
    m_form.Number->raise();
}

// The score sheet is a window of its own over the table, so the ready countdown's clock goes where
// the sheet leaves the felt free: under its right end, or over it when there is no room below.
void RoundTable::placeReadyClock() {
    placeCountdown(0);
    if (!score->isVisible())
        return;
    QWidget* table = m_form.Pic1;
    const QRect sheet(table->mapFromGlobal(score->frameGeometry().topLeft()), score->frameGeometry().size());
    QRect clock = m_form.Time_Img->geometry();
    const int floor = m_form.imgDilan->geometry().top();
    int top = sheet.bottom() + 6;
    if (top + clock.height() > floor)
        top = sheet.top() - clock.height() - 6;
    clock.moveTo(std::clamp(sheet.right() - clock.width(), 0, table->width() - clock.width()), std::max(0, top));
    const QPoint shift = clock.topLeft() - m_form.Time_Img->geometry().topLeft();
    m_form.Time_Img->move(clock.topLeft());
    m_form.Number->move(m_form.Number->pos() + shift);
}

void RoundTable::showCountdownNumber(int seconds, bool red) {
    m_form.Number->setStyleSheet(red ? QStringLiteral("color: rgb(255, 0, 0); font-weight: bold;")
                                     : QStringLiteral("color: rgb(0, 255, 0); font-weight: bold;"));
    m_form.Number->setText(QString::number(seconds));
}

void RoundTable::hideCountdown() {
    m_form.Time_Img->hide();
    m_form.Number->hide();
}

void RoundTable::showSeatBubble(int r, int pictureNumber) {
    hideSeatBubble();
    QLabel* b = Speak[static_cast<size_t>(r)];
    b->setPixmap(picture(pictureNumber));
    b->setProperty("picture", pictureNumber);
    b->setGeometry(m_form.units(kBubbleAt[r].x(), kBubbleAt[r].y(), 100, 42));
    b->show();
    b->raise();
    m_speaking = r;
    m_services.restartSeatBubbleCount();
}

bool RoundTable::seatBubbleShown() const { return m_speaking >= 0; }

void RoundTable::hideSeatBubble() {
    if (m_speaking >= 0)
        Speak[static_cast<size_t>(m_speaking)]->hide();
    m_speaking = -1;
}

QPoint RoundTable::seatMarkerPos(int r) const {
    // Two marker places per seat, this one for the partner and 70 units right of it for the banker
    // or roar marker: beside each seat's panel, clear of its back pile, clock and the own hand.
    static const QPoint kAt[4] = {{130, 500}, {125, 205}, {260, 24}, {720, 205}};
    return kAt[r];
}

bool RoundTable::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type t = event->type();
    if (watched == &m_form) {
        if (t == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            F1Pressed();
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
                    rightClickPlay();
                else
                    lowerPanelRightClick();
            }
            if (watched == m_form.Pic1) {
                hideScoreSheet();
                m_form.hero->hide();
                m_form.HidePlayerInfo();
            }
        } else if (t == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            F1Pressed();
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
        if (e->button() == Qt::LeftButton)
            cardLeftClick(image);
        else if (e->button() == Qt::RightButton)
            rightClickPlay();
        return true;
    }
    if (t == QEvent::MouseMove) {
        cardHover(image);
        return false;
    }
    return false;
}

}  // namespace vexal
