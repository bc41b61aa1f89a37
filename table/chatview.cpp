#include "table/chatview.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

#include "media/resources.h"
#include "media/sound.h"
#include "platform/sounddevice.h"
#include "platform/trace.h"
#include "table/mainform.h"
#include "table/tablegeometry.h"
#include "table/widgets.h"
#include "table/windows.h"

namespace vexal {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// The bubble's fade runs at the platform's coarse timer step rather than a true millisecond: the
// hold is counted in ticks, and at this step the chat's numbers keep a phrase readable for about
// five seconds (26 ticks in, 250 held, 53 out).
constexpr int kBubbleTickMs = 15;

// `imgword1` and `imgword2` beside the send button, in table units.
constexpr QRect kWordButtons[2] = {{575, 700, 34, 26}, {610, 700, 34, 26}};
const char* const kWordCaptions[2] = {"常用", "对局"};

}  // namespace

// Each bubble points at its seat from where it covers no portrait, name, level or coins, neither
// 本轮分 nor the multiplier or points taken, no clock, marker or seat bubble, and not the own
// hand and its buttons: above the own name, above the left portrait, under the top seat's pile,
// left of the right seat above its points.
const std::array<BubblePlace, 4> kBubblePlaces = {{
    {166, 352, 17, 12},
    {60, 62, 38, 23},
    {356, 146, 30, 41},
    {674, 30, 18, 31},
}};

QRegion bubbleRegion(const QImage& picture) {
    QRegion region;
    if (picture.isNull())
        return region;
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < image.width()) {
            while (x < image.width() && row[x] == transparent)
                ++x;
            const int start = x;
            while (x < image.width() && row[x] != transparent)
                ++x;
            if (x > start)
                region += QRect(start, y, x - start, 1);
        }
    }
    return region;
}

namespace {
// A chat window's frame: its caption, a heading line with the close button that hides it, and the
// column the window's lists go into.
QVBoxLayout* chatWindowFrame(QWidget* window, const QString& title, const QString& heading, QPushButton*& close) {
    makeSecondaryWindow(window);
    window->setWindowTitle(title);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(6, 4, 6, 6);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(heading, window));
    top->addStretch();
    close = new QPushButton(QStringLiteral("×"), window);
    close->setFixedSize(22, 22);
    close->setFocusPolicy(Qt::NoFocus);
    top->addWidget(close);
    layout->addLayout(top);
    QObject::connect(close, &QPushButton::clicked, window, &QWidget::hide);
    return layout;
}
}  // namespace

ChatHistoryWindow::ChatHistoryWindow(QWidget* parent) : QWidget(parent) {
    QVBoxLayout* layout = chatWindowFrame(this, QStringLiteral("聊天记录"), QStringLiteral("聊天记录"), close);
    Text1 = new QListWidget(this);
    Text1->setFocusPolicy(Qt::NoFocus);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(Text1);
    resize(400, 200);
}

QuickPhraseWindow::QuickPhraseWindow(QWidget* parent) : QWidget(parent) {
    QVBoxLayout* layout = chatWindowFrame(this, QStringLiteral("快捷短语"), QStringLiteral("双击发送"), close);
    for (int l = 0; l < 2; ++l) {
        QListWidget* list = lists[static_cast<size_t>(l)] = new QListWidget(this);
        list->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(list);
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this, l, list](QListWidgetItem* item) { emit phraseChosen(l + 1, list->row(item)); });
    }
    lists[1]->hide();
    resize(240, 230);
}

int QuickPhraseWindow::shownList() const {
    if (!isVisible())
        return 0;
    return lists[0]->isVisible() ? 1 : 2;
}

SpeakBox::SpeakBox(int seat, const QImage& picture, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      m_seat(seat) {
    setObjectName(QStringLiteral("speak%1").arg(seat));
    setWindowTitle(QStringLiteral("speakbox"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_picture = new QLabel(this);
    m_picture->setPixmap(QPixmap::fromImage(picture));
    m_picture->resize(picture.size());
    resize(picture.size());
    setMask(bubbleRegion(picture));
    labPhrase = new QLabel(QStringLiteral("  "), this);
    labPhrase->setWordWrap(true);
    labPhrase->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    labPhrase->setStyleSheet(QStringLiteral("color: #1a2a48; font-weight: bold;"));
    tmrFadeIn.setTimerType(Qt::PreciseTimer);
    tmrFadeIn.setInterval(kBubbleTickMs);
    connect(&tmrFadeIn, &QTimer::timeout, this, [this] { fadeTick(); });
    park(1);
}

void SpeakBox::park(int times) {
    if (m_seat <= 1)
        move(-times * width(), y());
    else
        move(x(), -times * height());
}

void SpeakBox::SetBubbleOpacity(int alpha) {
    m_opacity = alpha;
    setWindowOpacity(alpha / 255.0);
}

void SpeakBox::showMe(const QPoint& where, const QPoint& textAt, const QString& phrase, const BubbleFade& fade) {
    move(where);
    labPhrase->setGeometry(textAt.x(), textAt.y(), width() - textAt.x() - 12, 48);
    labPhrase->setText(phrase);
    m_fade = fade;
    m_fade.counter = 0;
    m_showing = true;
    SetBubbleOpacity(0);
    show();
    raise();
    tmrFadeIn.start();
}

void SpeakBox::fadeTick() {
    const BubbleFade::Step step = m_fade.tick();
    if (step.opacity)
        SetBubbleOpacity(*step.opacity);
    if (step.done) {
        tmrFadeIn.stop();
        labPhrase->clear();
        park(2);
        hide();
        m_showing = false;
    }
}

void SpeakBox::withdraw() {
    tmrFadeIn.stop();
    SetBubbleOpacity(0);
    hide();
    m_showing = false;
}

ChatView::ChatView(MainForm& form, const ChatModel& model, Sound* sound)
    : m_form(form), m_model(model), m_sound(sound) {
    m_talk = new ChatHistoryWindow(&form);
    m_huifu = new QuickPhraseWindow(&form);
    for (int l = 0; l < 2; ++l) {
        auto* button = imgword[static_cast<size_t>(l)] = new PictureButton(QString::fromUtf8(kWordCaptions[l]), form.Pic1);
        button->setToolTip(QStringLiteral("快捷短语"));
        connect(button, &PictureButton::clicked, this, [this, l] { togglePhrases(l + 1); });
    }
    placeWordButtons();

    form.Chat->setMaxLength(200);
    form.Chat->installEventFilter(this);
    connect(form.Chat, &QLineEdit::textChanged, this, [this] { intend(intent::ChatBoxChanged{}); });
    for (int r = 1; r < 4; ++r)
        form.Tou[static_cast<size_t>(r)]->installEventFilter(this);
    form.installEventFilter(this);
    connect(&form, &MainForm::buttonClicked, this, [this](int i) {
        if (i == kSend)
            intend(intent::ChatSendButton{m_form.Chat->text().toStdString()});
        else if (i == kChatHistory)
            toggleHistory();
    });
    connect(&form, &MainForm::dragStarted, this, [this] { hideWindows(); });
    connect(m_huifu, &QuickPhraseWindow::phraseChosen, this, [this](int list, int index) {
        intend(intent::ChatPhrase{list, index, m_form.Chat->text().toStdString()});
        hidePhrases();
    });
}

ChatView::~ChatView() = default;

void ChatView::intend(const ChatIntent& intent) {
    if (onIntent)
        onIntent(intent);
}

void ChatView::setPhrases(const QuickPhrases& phrases) {
    for (size_t l = 0; l < 2; ++l) {
        m_huifu->lists[l]->clear();
        for (const std::string& phrase : phrases.lists[l])
            m_huifu->lists[l]->addItem(q(phrase));
    }
}

void ChatView::placeWordButtons() {
    for (size_t l = 0; l < 2; ++l) {
        const QRect& r = kWordButtons[l];
        imgword[l]->setGeometry(m_form.units(r.x(), r.y(), r.width(), r.height()));
        imgword[l]->raise();
    }
}

void ChatView::drawInput(const ChatInputResult& result) {
    if (result.box) {
        const QSignalBlocker quiet(m_form.Chat);
        m_form.Chat->setText(q(*result.box));
        m_form.Chat->end(false);
    }
    if (result.focusBox)
        m_form.Chat->setFocus();
    if (result.historyChanged) {
        drawHistory();
        const auto& history = m_model.state().history;
        trace("chat-history", history.empty() ? QStringLiteral("(emptied)") : q(history.back()));
    }
}

void ChatView::drawHistory() {
    QListWidget* text = m_talk->Text1;
    text->clear();
    for (const std::string& line : m_model.state().history)
        text->addItem(q(line));
    text->scrollToBottom();
}

bool ChatView::tableNormal() const {
    return !(m_form.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
}

void ChatView::drawReceived(const ChatReceived& received) {
    trace("chat", q(received.line));
    drawHistory();
    m_form.pushSysmsg(q(received.line));
    if (received.speaker < 0)
        return;
    const int p = received.speaker;
    if (!received.bubblePhrase.empty() && tableNormal()) {
        SpeakBox* box = PrepareBubble(p);
        const BubblePlace& place = kBubblePlaces[static_cast<size_t>(p)];
        const QPoint where = m_form.Pic1->mapToGlobal(m_form.units(place.left, place.top, 0, 0).topLeft());
        const QPoint textAt(qRound(place.textLeft * m_form.scaleX()), qRound(place.textTop * m_form.scaleY()));
        box->showMe(where, textAt, q(received.bubblePhrase), BubbleFade{});
        trace("bubble", QStringLiteral("%1 %2").arg(p).arg(q(received.bubblePhrase)));
        m_form.Chat->setFocus();
    }
    if (!received.voiceFile.empty() && m_sound && m_sound->deviceOn() &&
        !(m_form.windowState() & Qt::WindowMinimized)) {
        m_sound->playQuickPhraseVoice(received.voiceFile, p);
        const SoundDevice& device = m_sound->device();
        trace("voice", QStringLiteral("%1 %2 %3")
                           .arg(p)
                           .arg(q(device.voiceFile(p)))
                           .arg(device.voicePlaying(p) ? QStringLiteral("playing") : QStringLiteral("silent")));
    }
}

SpeakBox* ChatView::PrepareBubble(int r) {
    SpeakBox*& box = m_bubbles[static_cast<size_t>(r)];
    if (!box) {
        QImage picture;
        QPixmap pixmap;
        if (LoadGifResource(picture::kSpeechBubble + r, kGifResourceType, pixmap))
            picture = pixmap.toImage();
        if (picture.isNull()) {
            // Without the artwork the bubble is a plain rounded box, still readable.
            picture = QImage(200, 84, QImage::Format_ARGB32);
            picture.fill(QColor(250, 250, 240));
        }
        // The bubble shrinks with the table, so that it keeps clear of the same panels.
        if (m_form.scaleX() != 1.0 || m_form.scaleY() != 1.0)
            picture = picture.scaled(qRound(picture.width() * m_form.scaleX()), qRound(picture.height() * m_form.scaleY()),
                                     Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        box = new SpeakBox(r, picture, &m_form);
        if (!m_form.largeTable()) {
            QFont f = box->labPhrase->font();
            f.setPointSizeF(f.pointSizeF() * m_form.scaleY());
            box->labPhrase->setFont(f);
        }
    }
    return box;
}

void ChatView::toggleHistory() {
    if (m_talk->isVisible()) {
        m_talk->hide();
        return;
    }
    if (!m_talkPlaced) {
        m_talkPlaced = true;
        m_talk->move(qRound(0.30 * m_form.width()), qRound(0.66 * m_form.height()));
    }
    // The hand, its buttons and the clock stay in sight: the history may be opened on the own turn.
    m_form.keepOwnTurnFree(m_talk);
    m_talk->show();
    m_talk->raise();
    drawHistory();
}

void ChatView::showHistoryCentred() {
    m_talkPlaced = true;
    const QRect table = m_form.frameGeometry();
    m_talk->move(table.center() - QPoint(m_talk->width() / 2, m_talk->height() / 2));
    m_form.keepOwnTurnFree(m_talk);
    setTopmost(m_talk, true);
    m_talk->show();
    m_talk->raise();
    drawHistory();
}

void ChatView::togglePhrases(int list) {
    m_talk->hide();
    const int shown = m_huifu->shownList();
    if (shown == list) {
        m_huifu->hide();
        return;
    }
    m_huifu->lists[0]->setVisible(list == 1);
    m_huifu->lists[1]->setVisible(list == 2);
    if (shown == 0) {
        // Above the two buttons, its right edge on theirs.
        const QRect buttons = imgword[0]->geometry().united(imgword[1]->geometry());
        const QPoint corner = m_form.Pic1->mapToGlobal(buttons.topRight());
        m_huifu->move(corner.x() - m_huifu->width(), corner.y() - m_huifu->height() - 4);
        m_form.keepOwnTurnFree(m_huifu);
        m_huifu->show();
        m_huifu->raise();
    }
}

void ChatView::hidePhrases() { m_huifu->hide(); }

void ChatView::hideWindows() {
    m_talk->hide();
    m_huifu->hide();
}

void ChatView::tableMinimised() {
    hideWindows();
    for (SpeakBox* box : m_bubbles)
        if (box)
            box->hide();
}

void ChatView::tableRestored() {
    for (SpeakBox* box : m_bubbles)
        if (box)
            box->withdraw();
}

bool ChatView::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type t = event->type();
    if (watched == m_form.Chat && t == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_C && (key->modifiers() & Qt::AltModifier)) {
            showHistoryCentred();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            intend(intent::ChatEnter{m_form.Chat->text().toStdString()});
            return true;
        }
        intend(intent::ChatKey{});
        if (key->key() == Qt::Key_Backspace)
            intend(intent::ChatBackspace{m_form.Chat->text().toStdString(),
                                         static_cast<size_t>(m_form.Chat->cursorPosition())});
        return false;
    }
    if (watched == &m_form) {
        if (t == QEvent::WindowActivate) {
            m_form.Chat->setFocus();
        } else if (t == QEvent::WindowStateChange) {
            const Qt::WindowStates old = static_cast<QWindowStateChangeEvent*>(event)->oldState();
            const bool minimised = m_form.windowState() & Qt::WindowMinimized;
            if (minimised && !(old & Qt::WindowMinimized))
                tableMinimised();
            else if (!minimised && (old & Qt::WindowMinimized))
                tableRestored();
        } else if (t == QEvent::Resize) {
            placeWordButtons();
        } else if (t == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_C && (key->modifiers() & Qt::AltModifier)) {
                showHistoryCentred();
                return true;
            }
        }
        return false;
    }
    if (t == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int r = 1; r < 4; ++r)
            if (watched == m_form.Tou[static_cast<size_t>(r)]) {
                intend(intent::ChatPortrait{r, m_form.Chat->text().toStdString()});
                break;
            }
    }
    return false;
}

}  // namespace vexal
