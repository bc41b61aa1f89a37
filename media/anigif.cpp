#include "media/anigif.h"

#include <gif_lib.h>

#include <QCursor>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdlib>

namespace vexal {
namespace {

int readFromSpan(GifFileType* gif, GifByteType* out, int length) {
    auto* source = static_cast<std::span<const uint8_t>*>(gif->UserData);
    const size_t n = std::min(source->size(), static_cast<size_t>(std::max(length, 0)));
    std::copy_n(source->begin(), n, out);
    *source = source->subspan(n);
    return static_cast<int>(n);
}

// The stock decoder reads the one-image GIF that carries the frame; what comes back are the
// frame's colour indices because the GIF's palette maps each index to itself.
std::optional<std::vector<uint8_t>> decodeIndices(std::span<const uint8_t> single, int width, int height) {
    std::span<const uint8_t> source = single;
    int error = 0;
    GifFileType* gif = DGifOpen(&source, readFromSpan, &error);
    if (!gif)
        return std::nullopt;
    std::optional<std::vector<uint8_t>> out;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount >= 1) {
        const SavedImage& image = gif->SavedImages[0];
        if (image.ImageDesc.Width == width && image.ImageDesc.Height == height &&
            (image.RasterBits || width * height == 0)) {
            const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
            out.emplace(image.RasterBits, image.RasterBits + n);
        }
    }
    DGifCloseFile(gif, &error);
    return out;
}

bool validSignature(const QByteArray& bytes) {
    const QByteArray signature = bytes.left(6).toLower();
    return signature == "gif89a" || signature == "gif87a";
}

int visualButton(Qt::MouseButtons buttons) {
    int b = 0;
    if (buttons & Qt::LeftButton)
        b |= 1;
    if (buttons & Qt::RightButton)
        b |= 2;
    if (buttons & Qt::MiddleButton)
        b |= 4;
    return b;
}

int visualShift(Qt::KeyboardModifiers modifiers) {
    int s = 0;
    if (modifiers & Qt::ShiftModifier)
        s |= 1;
    if (modifiers & Qt::ControlModifier)
        s |= 2;
    if (modifiers & Qt::AltModifier)
        s |= 4;
    return s;
}

}  // namespace

QtFrameTimer::QtFrameTimer() : m_timer(std::make_unique<QTimer>()) {
    m_timer->setSingleShot(true);
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { fire(); });
}

QtFrameTimer::~QtFrameTimer() = default;

void QtFrameTimer::start(int ms) {
    m_timer->start(ms);
}
void QtFrameTimer::stop() {
    m_timer->stop();
}
bool QtFrameTimer::isActive() const {
    return m_timer->isActive();
}

ucAniGIF::ucAniGIF(QWidget* parent) : QWidget(parent) {
    setFrameTimer(std::make_unique<QtFrameTimer>());
    setMouseTracking(true);
}

ucAniGIF::~ucAniGIF() {
    if (m_timer)
        m_timer->setCallback(nullptr);
}

void ucAniGIF::setFrameTimer(std::unique_ptr<FrameTimer> timer) {
    const bool wasActive = m_timer && m_timer->isActive();
    if (m_timer) {
        m_timer->stop();
        m_timer->setCallback(nullptr);
    }
    m_timer = std::move(timer);
    m_timer->setCallback([this] { onTimer(); });
    if (wasActive) {
        if (m_pendingDecode) {
            m_timer->start(20);
        } else if (m_running == 1) {
            startFrameTimer();
        }
    }
}

bool ucAniGIF::LoadAnimatedGIF_File(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return LoadAnimatedGIF_Array(file.readAll());
}

bool ucAniGIF::LoadAnimatedGIF_Array(std::span<const uint8_t> bytes) {
    return LoadAnimatedGIF_Array(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
}

bool ucAniGIF::LoadAnimatedGIF_Array(const QByteArray& bytes) {
    unload();
    m_lastError.reset();
    const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                        static_cast<size_t>(bytes.size()));
    GifParseResult parsed = parseGif(data);
    if (!parsed.ok()) {
        m_lastError = parsed.error;
        return false;
    }
    const GifFrameTable& t = parsed.table;
    if (t.frames.empty())
        return false;
    if (static_cast<int64_t>(t.screenWidth) * t.screenHeight > kMaxPixels)
        return false;
    for (const GifFrame& f : t.frames) {
        if (static_cast<int64_t>(f.width) * f.height > kMaxPixels)
            return false;
    }

    m_bytes = bytes;
    m_table = std::move(parsed.table);
    m_frames.assign(m_table.frames.size(), DecodedFrame{});
    if (m_table.loops)
        m_loops = std::abs(*m_table.loops);
    m_canvas = QImage(m_table.screenWidth, m_table.screenHeight, QImage::Format_ARGB32);
    if (m_canvas.isNull() && m_table.screenWidth * m_table.screenHeight > 0) {
        unload();
        return false;
    }

    // Bit 0 of DelayAnimation puts decoding the other frames off to the first tick, 20 ms on, so
    // that loading shows the first picture at once.
    const bool lazy = (m_delayAnimation & 1) && m_frames.size() > 1;
    const bool decoded = lazy ? decodeFrame(0) : ensureDecoded();
    if (!decoded) {
        unload();
        return false;
    }
    m_pendingDecode = lazy;
    showFrame(1);
    applyStretchSize();
    if (m_pendingDecode)
        m_timer->start(20);
    if (!(m_delayAnimation & 2))
        play();
    update();
    return true;
}

void ucAniGIF::LoadAnimatedGIF_Remote(const QString& remotePath) {
    QMetaObject::invokeMethod(
        this, [this, remotePath] { finishRemoteLoad(remotePath); }, Qt::QueuedConnection);
}

void ucAniGIF::finishRemoteLoad(const QString& remotePath) {
    QString localPath;
    const QUrl url(remotePath);
    if (url.scheme() == QLatin1String("file")) {
        localPath = url.toLocalFile();
    } else if (url.scheme().isEmpty() || url.scheme().size() == 1) {  // a path, or a drive letter
        localPath = remotePath;
    }
    QByteArray bytes;
    if (!localPath.isEmpty()) {
        QFile file(localPath);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
    }
    if (bytes.size() < 15 || !validSignature(bytes)) {
        emit RemoteLoadFailure();
        return;
    }
    const auto* b = reinterpret_cast<const uint8_t*>(bytes.constData());
    bool cancel = false;
    emit RemoteLoadComplete(b[6] | (b[7] << 8), b[8] | (b[9] << 8), &cancel);
    if (!cancel)
        LoadAnimatedGIF_Array(bytes);
}

void ucAniGIF::Refresh() {
    repaint();
}

void ucAniGIF::setAnimatedGIF(const QByteArray& bytes) {
    if (bytes.isEmpty()) {
        unload();
        update();
    } else {
        LoadAnimatedGIF_Array(bytes);
    }
}

void ucAniGIF::unload() {
    if (m_timer)
        m_timer->stop();
    m_bytes.clear();
    m_table = {};
    m_frames.clear();
    m_pendingDecode = false;
    m_canvas = QImage();
    m_shown = QImage();
    m_savedArea = QImage();
    m_current = 0;
    m_loopsDone = 0;
    m_running = 0;
}

bool ucAniGIF::decodeFrame(size_t index) {
    DecodedFrame& d = m_frames[index];
    if (d.decoded)
        return true;
    const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(m_bytes.constData()),
                                        static_cast<size_t>(m_bytes.size()));
    const GifFrame& f = m_table.frames[index];
    const auto single = buildSingleFrameGif(data, m_table, index);
    if (single.empty())
        return false;
    auto indices = decodeIndices(single, f.width, f.height);
    if (!indices)
        return false;
    d.indices = std::move(*indices);
    d.palette = framePalette(data, m_table, index);
    d.decoded = true;
    return true;
}

bool ucAniGIF::ensureDecoded() {
    for (size_t i = 0; i < m_frames.size(); ++i) {
        if (!decodeFrame(i))
            return false;
    }
    m_pendingDecode = false;
    return true;
}

int ucAniGIF::FrameCount() const {
    return m_current == 0 ? 0 : static_cast<int>(m_frames.size());
}

int ucAniGIF::LoopsRemaining() const {
    if (m_current == 0)
        return -1;
    if (m_loops == 0)
        return 0;
    return m_loops - m_loopsDone;
}

void ucAniGIF::setMinFrameDelay(int ms) {
    m_minFrameDelay = std::clamp(ms, kMinFrameDelayLow, kMinFrameDelayHigh);
}

void ucAniGIF::setLoops(int count) {
    m_loops = std::abs(count);
}

void ucAniGIF::setStretch(int mode) {
    if (mode < 0 || mode > 4)
        return;
    const bool wasPlaying = m_running == 1;
    if (wasPlaying)
        setAction(2);
    m_stretch = mode;
    if (!m_frames.empty())
        applyStretchSize();
    update();
    if (wasPlaying)
        setAction(1);
}

void ucAniGIF::setMirrored(int mode) {
    if (mode < 0 || mode > 3)
        return;
    const bool wasPlaying = m_running == 1;
    if (wasPlaying)
        setAction(2);
    m_mirrored = mode;
    update();
    if (wasPlaying)
        setAction(1);
}

void ucAniGIF::setDelayAnimation(int flags) {
    if (flags < 0 || flags > 3)
        return;
    m_delayAnimation = flags;
}

void ucAniGIF::setMousePointer(int pointer) {
    static const std::pair<int, Qt::CursorShape> shapes[] = {
        {1, Qt::ArrowCursor},      {2, Qt::CrossCursor},      {3, Qt::IBeamCursor},
        {5, Qt::SizeAllCursor},    {6, Qt::SizeBDiagCursor},  {7, Qt::SizeVerCursor},
        {8, Qt::SizeFDiagCursor},  {9, Qt::SizeHorCursor},    {10, Qt::UpArrowCursor},
        {11, Qt::WaitCursor},      {12, Qt::ForbiddenCursor}, {13, Qt::BusyCursor},
        {14, Qt::WhatsThisCursor}, {15, Qt::SizeAllCursor},   {16, Qt::PointingHandCursor}};
    m_mousePointer = pointer;
    if (pointer == 99 && !m_mouseIcon.isNull()) {
        setCursor(QCursor(m_mouseIcon));
        return;
    }
    for (const auto& [value, shape] : shapes) {
        if (value == pointer) {
            setCursor(shape);
            return;
        }
    }
    unsetCursor();
}

void ucAniGIF::setMouseIcon(const QPixmap& icon) {
    m_mouseIcon = icon;
    setMousePointer(m_mousePointer);
}

void ucAniGIF::setAction(int command) {
    if (command < 0 || command > 4)
        return;
    m_action = command;
    if (m_frames.empty())
        return;
    switch (command) {
        case 0:
            stopAndRewind();
            break;
        case 1:
            play();
            break;
        case 2:
            if (m_running == 1) {
                m_timer->stop();
                m_running = 2;
            }
            break;
        case 3:
            m_timer->stop();
            m_running = 2;
            showFrame(m_current % static_cast<int>(m_frames.size()) + 1);
            break;
        case 4:
            m_timer->stop();
            m_loopsDone = 0;
            showFrame(1);
            play();
            break;
    }
}

void ucAniGIF::play() {
    if (m_frames.size() <= 1)
        return;
    m_running = 1;
    if (m_pendingDecode && m_timer->isActive())
        return;  // the decoding tick starts the frames
    startFrameTimer();
}

void ucAniGIF::stopAndRewind() {
    m_timer->stop();
    m_running = 0;
    m_current = 0;
    m_loopsDone = 0;
    if (!m_canvas.isNull())
        m_canvas.fill(Qt::transparent);
    m_shown = m_canvas.copy();
    update();
}

void ucAniGIF::startFrameTimer() {
    int delay = 0;
    if (m_current >= 1 && m_current <= static_cast<int>(m_table.frames.size())) {
        delay = m_table.frames[static_cast<size_t>(m_current - 1)].delayMs;
    }
    m_timer->start(std::max(delay, m_minFrameDelay));
}

void ucAniGIF::onTimer() {
    m_timer->stop();
    if (m_pendingDecode) {
        if (!ensureDecoded()) {
            unload();
            update();
            return;
        }
        if (m_running == 1)
            startFrameTimer();
        return;
    }
    if (m_running != 1 || m_frames.empty())
        return;
    int next = m_current + 1;
    if (next > static_cast<int>(m_frames.size())) {
        next = 1;
        if (m_loops != 0) {
            ++m_loopsDone;
            // At or past the limit (loops may have been lowered while playing), playback ends.
            if (m_loopsDone >= m_loops) {
                m_action = 0;
                stopAndRewind();
                emit LoopsEnded();
                return;
            }
        }
    }
    showFrame(next);
    if (m_running == 1 && !m_frames.empty())
        startFrameTimer();
}

void ucAniGIF::showFrame(int n) {
    if (!decodeFrame(static_cast<size_t>(n - 1))) {
        unload();
        update();
        return;
    }
    const GifFrame& f = m_table.frames[static_cast<size_t>(n - 1)];
    const DecodedFrame& d = m_frames[static_cast<size_t>(n - 1)];
    if (n == 1)
        m_canvas.fill(Qt::transparent);  // every loop starts on a clear screen

    const QRect area = QRect(f.left, f.top, f.width, f.height).intersected(m_canvas.rect());
    if (f.disposal == 3)
        m_savedArea = m_canvas.copy(area);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(m_canvas.scanLine(y));
        const uint8_t* src = d.indices.data() + static_cast<size_t>(y - f.top) * f.width;
        for (int x = area.left(); x <= area.right(); ++x) {
            const uint8_t index = src[x - f.left];
            if (f.transparent && index == f.transparentIndex)
                continue;
            line[x] = index < d.palette.size() ? d.palette[index] : 0xFF000000u;
        }
    }
    m_shown = m_canvas.copy();
    m_current = n;
    update();
    if (n == static_cast<int>(m_frames.size()))
        emit reportOver(n);

    if (f.disposal == 2) {
        QPainter p(&m_canvas);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(area, Qt::transparent);
    } else if (f.disposal == 3 && !m_savedArea.isNull()) {
        QPainter p(&m_canvas);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(area.topLeft(), m_savedArea);
    }
}

double ucAniGIF::scaleX() const {
    const double rx = m_table.screenWidth > 0 ? double(width()) / m_table.screenWidth : 1.0;
    const double ry = m_table.screenHeight > 0 ? double(height()) / m_table.screenHeight : 1.0;
    switch (m_stretch) {
        case 1:
            return std::min(rx, ry);
        case 2:
            return rx;
        case 3:
            return std::min({rx, ry, 1.0});
        default:
            return 1.0;
    }
}

double ucAniGIF::scaleY() const {
    if (m_stretch != 2)
        return scaleX();
    return m_table.screenHeight > 0 ? double(height()) / m_table.screenHeight : 1.0;
}

void ucAniGIF::applyStretchSize() {
    if (m_stretch != 1 && m_stretch != 3 && m_stretch != 4)
        return;
    // Only a size the host gave the control frames the picture. A control nobody sized (its
    // default geometry, or the size an earlier picture gave it) takes this picture's own size,
    // so a first load never shows at the toolkit's default size.
    const bool hostSized = testAttribute(Qt::WA_Resized) && size() != m_selfSize;
    const double s = (!hostSized || width() == 0 || height() == 0) ? 1.0 : scaleX();
    resize(std::max(1, qRound(m_table.screenWidth * s)), std::max(1, qRound(m_table.screenHeight * s)));
    m_selfSize = hostSized ? QSize() : size();
}

QSize ucAniGIF::sizeHint() const {
    if (m_frames.empty())
        return QWidget::sizeHint();
    return QSize(m_table.screenWidth, m_table.screenHeight);
}

QImage ucAniGIF::presentedImage() const {
    if (m_shown.isNull())
        return {};
    QImage image = m_mirrored ? m_shown.mirrored(m_mirrored & 1, m_mirrored & 2) : m_shown;
    if (m_stretch == 0 || m_stretch == 4)
        return image;
    const int w = qRound(m_table.screenWidth * scaleX());
    const int h = qRound(m_table.screenHeight * scaleY());
    if (w <= 0 || h <= 0)
        return {};
    if (w == image.width() && h == image.height())
        return image;
    return image.scaled(w, h, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void ucAniGIF::paintEvent(QPaintEvent*) {
    const QImage image = presentedImage();
    if (image.isNull())
        return;
    QPainter p(this);
    p.drawImage(0, 0, image);
}

void ucAniGIF::mousePressEvent(QMouseEvent* event) {
    m_pressed = true;
    const QPoint pos = event->position().toPoint();
    emit MouseDown(visualButton(event->button()), visualShift(event->modifiers()), pos.x(), pos.y());
}

void ucAniGIF::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    emit MouseUp(visualButton(event->button()), visualShift(event->modifiers()), pos.x(), pos.y());
    if (m_pressed && rect().contains(pos)) {
        m_pressed = false;
        emit Click();
    }
    m_pressed = false;
}

void ucAniGIF::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    emit MouseMove(visualButton(event->buttons()), visualShift(event->modifiers()), pos.x(), pos.y());
}

QVariantMap ucAniGIF::saveState() const {
    QVariantMap state;
    state.insert("GIF", m_bytes);
    state.insert("Enabled", isEnabled());
    state.insert("Stretch", m_stretch);
    state.insert("Delay", m_minFrameDelay);
    state.insert("Loops", m_loops);
    state.insert("Mirror", m_mirrored);
    state.insert("DelayLoad", m_delayAnimation);
    state.insert("MousePointer", m_mousePointer);
    if (!m_mouseIcon.isNull())
        state.insert("MouseIcon", m_mouseIcon);
    return state;
}

void ucAniGIF::restoreState(const QVariantMap& state) {
    setEnabled(state.value("Enabled", true).toBool());
    setStretch(state.value("Stretch", 1).toInt());
    setMinFrameDelay(state.value("Delay", 50).toInt());
    setMirrored(state.value("Mirror", 0).toInt());
    setDelayAnimation(state.value("DelayLoad", 1).toInt());
    m_mouseIcon = state.value("MouseIcon").value<QPixmap>();
    setMousePointer(state.value("MousePointer", 0).toInt());
    const QByteArray gif = state.value("GIF").toByteArray();
    if (!gif.isEmpty())
        LoadAnimatedGIF_Array(gif);
    // The stored loop count wins over the one the file carries, as the host last set it.
    setLoops(state.value("Loops", m_loops).toInt());
}

}  // namespace vexal
