#include "table/mainform.h"

#include "platform/trace.h"
#include "media/resources.h"
#include "table/pictures.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace vexal {

namespace {

// The nine button captions; the artwork draws them, the fallback writes them.
const char* const kButtonCaptions[9] = {"发送", "聊天", "开始", "设置", "隐藏", "战绩", "历史", "规则", "退出"};

QLabel* makeLabel(QWidget* parent, const QString& text = QString()) {
    auto* l = new QLabel(text, parent);
    l->setAttribute(Qt::WA_TranslucentBackground);
    return l;
}

}  // namespace

MainForm::MainForm(SessionState& state, QWidget* parent) : QWidget(parent), m_state(state) {
    setWindowFlag(Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Vexal"));
    setMouseTracking(true);
    buildControls();
    buildFrame();
    sizeForScreen(QSize(1280, 1024));
}

MainForm::~MainForm() = default;

void MainForm::buildControls() {
    Pic1 = new QLabel(this);
    Pic1->setMouseTracking(true);
    Pic1->installEventFilter(this);
    Pic1->setScaledContents(true);

    imgDinglan = new QLabel(Pic1);
    imgDinglan->setMouseTracking(true);
    imgDinglan->installEventFilter(this);
    imgDilan = new QLabel(Pic1);
    imgDilan->setMouseTracking(true);
    imgDilan->installEventFilter(this);
    imgDilan->setScaledContents(true);
    imgDinglan->setScaledContents(true);
    if (!loadPicture(imgDilan, picture::kBottomStrip))
        imgDilan->setStyleSheet(QStringLiteral("background: rgba(0, 0, 0, 70);"));
    loadPicture(imgDinglan, picture::kTopStrip);

    for (int r = 0; r < 4; ++r) {
        Tou[r] = new QLabel(Pic1);
        Tou[r]->setScaledContents(true);
        Nid[r] = makeLabel(Pic1);
        Level[r] = makeLabel(Pic1);
        Cash[r] = makeLabel(Pic1);
        lbl_currDefen[r] = makeLabel(Pic1);
        OK[r] = new QLabel(Pic1);
        OK[r]->setScaledContents(true);
        OK[r]->hide();
        for (QLabel* l : {Tou[r], Nid[r], Level[r], Cash[r]}) {
            l->setMouseTracking(true);
            l->installEventFilter(this);
        }
        for (QLabel* l : {Nid[r], Level[r], Cash[r], lbl_currDefen[r]})
            l->setStyleSheet(QStringLiteral("color: #fff6c8;"));
    }
    for (int i = 0; i < 2; ++i) {
        Sysmsg[i] = new QListWidget(Pic1);
        Sysmsg[i]->setFrameShape(QFrame::NoFrame);
        Sysmsg[i]->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Sysmsg[i]->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Sysmsg[i]->setFocusPolicy(Qt::NoFocus);
        Sysmsg[i]->setStyleSheet(QStringLiteral("QListWidget{background: rgba(0,0,0,60); color: #ffe27a;}"));
    }
    Chat = new QLineEdit(Pic1);
    for (int i = 0; i < 9; ++i) {
        AnNiu[i] = new PictureButton(QString::fromUtf8(kButtonCaptions[i]), Pic1);
        connect(AnNiu[i], &PictureButton::entered, this, [this, i] { AnNiuEnter(i); });
        // A button shows its hover picture only while the pointer is on it, also after a click
        // that opened a window over the table.
        connect(AnNiu[i], &PictureButton::left, this, [this] { restoreHoveredButtons(); });
        connect(AnNiu[i], &PictureButton::clicked, this, [this, i] { emit buttonClicked(i); });
    }
    Imgwealth = new QLabel(Pic1);
    Imgwealth->setScaledContents(true);
    lbwealth = makeLabel(Pic1);
    lbwealth->setStyleSheet(QStringLiteral("color: #ffd700; font-weight: bold;"));
    Imgwealth->setMouseTracking(true);
    lbwealth->setMouseTracking(true);
    Imgwealth->installEventFilter(this);
    lbwealth->installEventFilter(this);
    Imgwealth->hide();
    lbwealth->hide();
    loadPicture(Imgwealth, picture::kWealthIcon);
    static const char* const kRules[3] = {"本房间输赢按财富倍数加倍", "金币不足时不能继续游戏", "请遵守游戏规则"};
    for (int i = 0; i < 3; ++i) {
        lblRule[i] = makeLabel(Pic1, QString::fromUtf8(kRules[i]));
        lblRule[i]->setStyleSheet(QStringLiteral("color: #fff6c8;"));
        lblRule[i]->hide();
    }
    lblLocation = makeLabel(Pic1);
    lblLocation->setAlignment(Qt::AlignCenter);
    lblLocation->setStyleSheet(QStringLiteral("color: #fff6c8;"));
    Time_Img = new ucAniGIF(Pic1);
    Time_Img->LoadAnimatedGIF_Array(gifResourceBytes(picture::kClock));
    Time_Img->hide();
    Number = makeLabel(Pic1);
    Number->setAlignment(Qt::AlignCenter);
    Number->hide();

    ImgShuffle = new QLabel(Pic1);
    ImgShuffle->setScaledContents(true);
    ImgShuffle->setStyleSheet(QStringLiteral("background: rgba(20, 40, 20, 200); border: 2px solid #d8b25a;"
                                             " border-radius: 8px;"));
    if (loadPicture(ImgShuffle, picture::kSeatChange))
        ImgShuffle->setStyleSheet(QString());
    ImgShuffle->hide();
    LblShuffle = makeLabel(Pic1, QStringLiteral("正在进入游戏......."));
    LblShuffle->setAlignment(Qt::AlignCenter);
    LblShuffle->setStyleSheet(QStringLiteral("color: #ffffff; font-weight: bold;"));
    LblShuffle->hide();
    TimerShuffle = new QTimer(this);
    TimerShuffle->setInterval(300);
    connect(TimerShuffle, &QTimer::timeout, this, &MainForm::shuffleTick);

    WebBrowser1 = new WebPanel(Pic1);
    WebBrowser1->hide();
    WebBrowser2 = new WebPanel(Pic1);
    WebBrowser2->hide();

    exitConfirm = new ExitConfirm(this);
    notice = new NoticeWindow(this);
    information = new Information(this);
    hero = new Hero(this);
}

void MainForm::buildFrame() {
    // The skin and the frame images are artwork of our own, drawn here: the border pieces
    // reach 690 twips across and 3300 down.
    m_skin = QPixmap(690 / kTwipsPerPixel, 3300 / kTwipsPerPixel);
    {
        m_skin.fill(QColor(92, 52, 24));
        QPainter p(&m_skin);
        QLinearGradient top(0, 0, 0, 20);
        top.setColorAt(0, QColor(170, 110, 52));
        top.setColorAt(1, QColor(110, 62, 28));
        p.fillRect(0, 0, m_skin.width(), 20, top);
        p.setPen(QColor(220, 170, 90));
        p.drawRect(0, 0, m_skin.width() - 1, m_skin.height() - 1);
    }
    auto glyph = [](const QString& text, QColor back) {
        QPixmap pm(16, 16);
        pm.fill(back);
        QPainter p(&pm);
        p.setPen(Qt::white);
        p.drawText(pm.rect(), Qt::AlignCenter, text);
        p.setPen(QColor(60, 30, 10));
        p.drawRect(0, 0, 15, 15);
        return pm;
    };
    const QColor roles[4] = {QColor(140, 80, 30), QColor(140, 80, 30), QColor(200, 120, 40), QColor(90, 45, 15)};
    for (int role = 1; role < 4; ++role) {
        m_frameRoles[0][role] = glyph(QStringLiteral("×"), roles[role]);
        m_frameRoles[1][role] = glyph(QStringLiteral("_"), roles[role]);
    }
    const QPixmap skin = tablePicture(picture::kWindowSkin);
    if (!skin.isNull())
        m_skin = skin;
    const int artwork[2][4] = {{0, picture::kCloseNormal, picture::kCloseHover, picture::kClosePressed},
                               {0, picture::kMinimiseNormal, picture::kMinimiseHover, picture::kMinimisePressed}};
    for (int which = 0; which < 2; ++which)
        for (int role = 1; role < 4; ++role) {
            const QPixmap pm = tablePicture(artwork[which][role]);
            if (!pm.isNull())
                m_frameRoles[static_cast<size_t>(which)][static_cast<size_t>(role)] = pm;
        }
    const QPixmap icon = tablePicture(picture::kWindowIcon);
    if (!icon.isNull())
        setWindowIcon(icon);
    for (int i = 0; i < 4; ++i) {
        ImgClose[i] = new QLabel(this);
        ImgMin[i] = new QLabel(this);
        ImgClose[i]->setPixmap(m_frameRoles[0][i == 0 ? 1 : i]);
        ImgMin[i]->setPixmap(m_frameRoles[1][i == 0 ? 1 : i]);
        ImgClose[i]->hide();
        ImgMin[i]->hide();
    }
    for (QLabel* l : {ImgClose[0], ImgMin[0]}) {
        l->setMouseTracking(true);
        l->installEventFilter(this);
    }
    ImgIcon = new QLabel(this);
    ImgIcon->setScaledContents(true);
    ImgIcon->hide();
    LbMove = new QLabel(this);
    LbMove->setMouseTracking(true);
    LbMove->installEventFilter(this);
    LbMove->hide();
}

void MainForm::sizeForScreen(const QSize& screen) {
    const TableWindowGeometry g = tableWindowGeometry(screen.width(), screen.height());
    m_scaleX = m_scaleY = g.scale;
    const int w = g.width;
    const int h = g.height;
    m_framePainted = g.paintFrame;
    setGeometry(g.left, g.top, w, h);
    setFixedSize(w, h);
    // Inside the frame the table keeps the border's width on each side and the caption on top.
    if (m_framePainted)
        Pic1->setGeometry(120 / kTwipsPerPixel, 300 / kTwipsPerPixel, w - 240 / kTwipsPerPixel,
                          h - 420 / kTwipsPerPixel);
    else
        Pic1->setGeometry(0, 0, w, h);
    const QPixmap felt = tablePicture(picture::kTableBackground);
    if (!felt.isNull()) {
        m_felt = felt.scaled(Pic1->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        m_felt = QPixmap(Pic1->size());
        QRadialGradient g(m_felt.rect().center(), m_felt.width() * 0.7);
        g.setColorAt(0, QColor(32, 122, 64));
        g.setColorAt(1, QColor(12, 66, 34));
        QPainter p(&m_felt);
        p.fillRect(m_felt.rect(), g);
    }
    Pic1->setPixmap(m_felt);
    placeControls();
    if (m_framePainted)
        PaintWindowFrame();
    for (QLabel* l : {ImgClose[0], ImgMin[0], ImgIcon, LbMove})
        l->setVisible(m_framePainted);
    for (int i = 0; i < 9; ++i)
        showButtonPicture(i, m_hover[static_cast<size_t>(i)]);
}

QRect MainForm::units(double left, double top, double width, double height) const {
    return QRect(qRound(left * m_scaleX), qRound(top * m_scaleY), qRound(width * m_scaleX),
                 qRound(height * m_scaleY));
}

QRect MainForm::ownTurnArea() const {
    // 27 cards fan from 197.6 to 802.4 units and a raised one tops at 544; the hand's buttons
    // start at 506; the own clock reaches 864 across. The hand's bottom is 688.
    return units(190, 500, 680, 190);
}

void MainForm::keepOwnTurnFree(QWidget* window) const {
    const QRect area = ownTurnArea();
    const QRect keepFree(Pic1->mapToGlobal(area.topLeft()), area.size());
    const QRect frame = window->frameGeometry();
    std::optional<QPoint> at = placeClear(frame, keepFree, frameGeometry());
    if (!at && window->screen())
        at = placeClear(frame, keepFree, window->screen()->availableGeometry());
    if (at)
        window->move(window->pos() + (*at - frame.topLeft()));
}

QRect MainForm::seatPanelRect(int r) const {
    // Portrait corner of each seat's panel: own seat, then clockwise: left, top, right. The side
    // seats sit above their back piles and below the countdown clock's row; the own seat sits above
    // its multiplier, table-points and points-taken icons, clear of the hand.
    static const QPoint kCorner[4] = {{30, 446}, {40, 146}, {400, 24}, {866, 146}};
    return units(kCorner[r].x(), kCorner[r].y(), 64, 64);
}

void MainForm::placeControls() {
    imgDinglan->setGeometry(units(0, 0, 1024, 20));
    imgDilan->setGeometry(units(0, 686, 1024, 82));
    // Labels sit beside the portrait, towards the middle of the table: right of it for the own,
    // left and top seats, left of it (aligned to it) for the right seat.
    for (int r = 0; r < 4; ++r) {
        const QRect face = seatPanelRect(r);
        Tou[r]->setGeometry(face);
        const bool leftOfFace = r == 3;
        const double lx = leftOfFace ? face.left() / m_scaleX - 8 - 180 : face.right() / m_scaleX + 8;
        const double ly = face.top() / m_scaleY;
        Nid[r]->setGeometry(units(lx, ly, 180, 18));
        Level[r]->setGeometry(units(lx, ly + 18, 180, 18));
        Cash[r]->setGeometry(units(lx, ly + 36, 180, 18));
        // Until a round places it by its icon, the points-taken label waits under the coins.
        lbl_currDefen[r]->setGeometry(units(lx, ly + 54, 180, 18));
        const Qt::Alignment align = (leftOfFace ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
        for (QLabel* l : {Nid[r], Level[r], Cash[r]})
            l->setAlignment(align);
    }
    // Ready marks lie on the table in front of each seat.
    static const QPoint kReady[4] = {{488, 520}, {176, 330}, {488, 150}, {800, 330}};
    for (int r = 0; r < 4; ++r)
        OK[r]->setGeometry(units(kReady[r].x(), kReady[r].y(), 48, 32));
    Sysmsg[0]->setGeometry(units(20, 692, 540, 18));
    Sysmsg[1]->setGeometry(units(20, 710, 540, 18));
    Chat->setGeometry(units(20, 732, 550, 26));
    AnNiu[0]->setGeometry(units(575, 730, 50, 30));
    static const int kLefts[4] = {648, 718, 788, 858};
    for (int i = 1; i <= 8; ++i)
        AnNiu[i]->setGeometry(units(kLefts[(i - 1) % 4], i <= 4 ? 700 : 733, 60, 30));
    Imgwealth->setGeometry(units(880, 8, 24, 24));
    lbwealth->setGeometry(units(908, 10, 100, 20));
    for (int i = 0; i < 3; ++i)
        lblRule[i]->setGeometry(units(620, 8 + 18 * i, 250, 18));
    // The room's name under the top strip, clear of the strip's gold line, with room for its type.
    lblLocation->setGeometry(units(20, 22, 240, 24));
    Time_Img->setGeometry(units(470, 330, 32, 32));
    Number->setGeometry(units(504, 330, 48, 32));
    ImgShuffle->setGeometry(units(412, 300, 200, 90));
    LblShuffle->setGeometry(units(392, 392, 240, 24));
    WebBrowser1->setGeometry(units(262, 180, 500, 220));
    WebBrowser2->setGeometry(units(312, 430, 400, 120));
}

void MainForm::setSysmsg(int list, const QString& line) {
    clearSysmsg(list);
    Sysmsg[static_cast<size_t>(list)]->addItem(line);
    trace(list == 0 ? "sysmsg0" : "sysmsg1", line);
}

void MainForm::clearSysmsg(int list) { Sysmsg[static_cast<size_t>(list)]->clear(); }

QString MainForm::sysmsg(int list) const {
    QListWidget* l = Sysmsg[static_cast<size_t>(list)];
    return l->count() > 0 ? l->item(0)->text() : QString();
}

void MainForm::pushSysmsg(const QString& line) {
    const QString cut = line.left(45);
    if (sysmsg(1).isEmpty()) {
        setSysmsg(sysmsg(0).isEmpty() ? 0 : 1, cut);
        return;
    }
    setSysmsg(0, sysmsg(1));
    setSysmsg(1, cut);
}

void MainForm::paintEvent(QPaintEvent*) {
    if (!m_shownTraced) {
        // The first paint is when the player first sees the table; start-up figures end here.
        m_shownTraced = true;
        trace("shown", QString::number(QDateTime::currentMSecsSinceEpoch()));
    }
    if (!m_framePainted || m_skin.isNull())
        return;
    // Nine-slice in twips, as the skin is laid out; the painter works in pixels.
    QPainter p(this);
    const double k = 1.0 / kTwipsPerPixel;
    const double W = width() * kTwipsPerPixel;
    const double H = height() * kTwipsPerPixel;
    auto piece = [&](double dx, double dy, double dw, double dh, double sx, double sy, double sw, double sh) {
        p.drawPixmap(QRectF(dx * k, dy * k, dw * k, dh * k), m_skin, QRectF(sx * k, sy * k, sw * k, sh * k));
    };
    piece(0, 0, 120, 300, 0, 0, 120, 300);
    piece(120, 0, W - 240, 300, 120, 0, 120, 300);
    piece(W - 120, 0, 120, 300, 570, 0, 120, 300);
    piece(0, 300, 120, H - 420, 0, 300, 120, 2880);
    piece(W - 120, 300, 120, H - 420, 570, 300, 120, 2880);
    piece(0, H - 120, 120, 120, 0, 3180, 120, 120);
    piece(120, H - 120, W - 240, 120, 120, 3180, 120, 120);
    piece(W - 120, H - 120, 120, 120, 570, 3180, 120, 120);
}

void MainForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Any change of size that leaves the window in view (restored, maximised, back from full
    // screen) counts; a change of activation alone does not.
    if (event->type() == QEvent::WindowStateChange && !(windowState() & Qt::WindowMinimized)) {
        const auto change = static_cast<QWindowStateChangeEvent*>(event)->oldState();
        if ((change & ~Qt::WindowActive) != (windowState() & ~Qt::WindowActive))
            emit resizedIntoView();
    }
}

void MainForm::closeEvent(QCloseEvent* event) {
    if (!m_closing) {
        m_closing = true;
        if (onClose)
            onClose();
    }
    event->accept();
}

void MainForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit escapePressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace vexal
