#include "media/vosset.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "media/resources.h"
#include "media/sound.h"

namespace vexal {
namespace {

const char* const kOptionNames[VosSet::kOptionCount] = {"背景音乐", "游戏音效", "声音和语音", "桌面背景",
                                                        "视频聊天"};

}  // namespace

VosSet::VosSet(Sound& sound, VosSetHooks hooks, QWidget* parent, PictureLoader loader)
    : QWidget(parent, Qt::Tool), m_sound(sound), m_hooks(std::move(hooks)), m_loader(std::move(loader)) {
    if (!m_loader) {
        m_loader = [](int number, QLabel* image) { return LoadGifResource(number, kGifResourceType, image); };
    }
    setWindowTitle(QStringLiteral("音效设置"));
    setWindowOpacity(200 / 255.0);

    auto* grid = new QGridLayout;
    for (int option = 0; option < kOptionCount; ++option) {
        auto* check = new QLabel(this);
        check->setObjectName(QStringLiteral("check%1").arg(option));
        check->setCursor(Qt::PointingHandCursor);
        check->installEventFilter(this);
        auto* caption = new QLabel(QString::fromUtf8(kOptionNames[option]), this);
        caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        grid->addWidget(check, option, 0);
        grid->addWidget(caption, option, 1);
        m_checks[static_cast<size_t>(option)] = check;
        if (option == TableBackground && !m_hooks.fullSizeTable) {
            check->hide();
            caption->hide();
        }
    }

    // The captions sit beside their check pictures; spare width goes to their right.
    grid->setColumnStretch(1, 1);

    m_ok = new QLabel(this);
    m_cancel = new QLabel(this);
    for (QLabel* button : {m_ok, m_cancel}) {
        button->setCursor(Qt::PointingHandCursor);
        button->installEventFilter(this);
    }
    setPicture(m_ok, kOkPicture);
    setPicture(m_cancel, kCancelPicture);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    showPictures();
}

bool VosSet::optionOn(int option) const {
    switch (option) {
        case Music:
            return m_sound.musicOn();
        case Effects:
            return m_sound.effectsOn();
        case DeviceAndVoices:
            return m_sound.deviceOn();
        case TableBackground:
            return m_firstBackground;
        case Video:
            return m_hooks.videoOn && m_hooks.videoOn();
        default:
            return false;
    }
}

bool VosSet::marked(int option) const {
    return option >= 0 && option < kOptionCount && m_marked[static_cast<size_t>(option)];
}

int VosSet::checkPictureNumber(int option) const {
    return option >= 0 && option < kOptionCount ? m_shown[static_cast<size_t>(option)] : 0;
}

void VosSet::apply(int option) {
    switch (option) {
        case Music:
            m_sound.setMusicOn(!m_sound.musicOn());
            if (m_sound.musicOn()) {
                m_sound.startBackgroundMusic();
            } else {
                m_sound.StopEffect();
            }
            break;
        case Effects:
            m_sound.setEffectsOn(!m_sound.effectsOn());
            break;
        case DeviceAndVoices:
            m_sound.setDeviceOn(!m_sound.deviceOn());
            break;
        case TableBackground:
            m_firstBackground = !m_firstBackground;
            if (m_hooks.swapTableBackground)
                m_hooks.swapTableBackground();
            break;
        default:
            break;
    }
}

void VosSet::toggleOption(int option) {
    // The video picture only mirrors the video switch, which the video window owns.
    if (option < 0 || option >= Video)
        return;
    if (option == TableBackground && !m_hooks.fullSizeTable)
        return;
    apply(option);
    // A second click undoes the first, so the option no longer counts as changed: Cancel must
    // bring back what the window opened with, not the opposite.
    m_marked[static_cast<size_t>(option)] = !m_marked[static_cast<size_t>(option)];
    showPictures();
}

void VosSet::ok() {
    hide();
    m_marked.fill(false);
}

void VosSet::cancel() {
    hide();
    for (int option = 0; option < kOptionCount; ++option) {
        if (m_marked[static_cast<size_t>(option)])
            apply(option);
    }
    m_marked.fill(false);
    showPictures();
}

void VosSet::setPicture(QLabel* label, int number) {
    m_loader(number, label);
}

void VosSet::showPictures() {
    for (int option = 0; option < kOptionCount; ++option) {
        const int number = optionOn(option) ? kCheckOnPicture : kCheckOffPicture;
        if (m_shown[static_cast<size_t>(option)] == number)
            continue;
        m_shown[static_cast<size_t>(option)] = number;
        setPicture(m_checks[static_cast<size_t>(option)], number);
    }
}

void VosSet::showEvent(QShowEvent* event) {
    showPictures();  // the switches may have changed elsewhere (a failed device, the video window)
    QWidget::showEvent(event);
}

bool VosSet::eventFilter(QObject* watched, QEvent* event) {
    auto* label = qobject_cast<QLabel*>(watched);
    if (!label)
        return QWidget::eventFilter(watched, event);
    const bool isOk = label == m_ok;
    const bool isCancel = label == m_cancel;
    if ((isOk || isCancel) && (event->type() == QEvent::Enter || event->type() == QEvent::Leave)) {
        const bool hover = event->type() == QEvent::Enter;
        setPicture(label, isOk ? (hover ? kOkHoverPicture : kOkPicture)
                               : (hover ? kCancelHoverPicture : kCancelPicture));
        return false;
    }
    if (event->type() != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton || !label->rect().contains(mouse->position().toPoint()))
        return false;
    if (isOk) {
        ok();
        return true;
    }
    if (isCancel) {
        cancel();
        return true;
    }
    for (int option = 0; option < kOptionCount; ++option) {
        if (label == m_checks[static_cast<size_t>(option)]) {
            toggleOption(option);
            return true;
        }
    }
    return false;
}

}  // namespace vexal
