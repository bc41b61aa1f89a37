// ucAniGIF: a window control that plays an animated GIF on its own frame timer.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QVariantMap>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "media/gifparser.h"

class QTimer;

namespace vexal {

// The control's single-shot frame timer. The default runs on a QTimer; tests put in one they fire
// by hand, so no test waits for a frame delay.
class FrameTimer {
public:
    virtual ~FrameTimer() = default;
    virtual void start(int ms) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    void setCallback(std::function<void()> callback) { m_callback = std::move(callback); }

protected:
    void fire() {
        if (m_callback)
            m_callback();
    }

private:
    std::function<void()> m_callback;
};

class QtFrameTimer : public FrameTimer {
public:
    QtFrameTimer();
    ~QtFrameTimer() override;
    void start(int ms) override;
    void stop() override;
    bool isActive() const override;

private:
    std::unique_ptr<QTimer> m_timer;
};

class ucAniGIF : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMinFrameDelayLow = 10;
    static constexpr int kMinFrameDelayHigh = 32700;
    // Bigger pictures than this are refused as unreadable; the table's artwork is far smaller.
    static constexpr int64_t kMaxPixels = 16 * 1024 * 1024;

    explicit ucAniGIF(QWidget* parent = nullptr);
    ~ucAniGIF() override;

    void setFrameTimer(std::unique_ptr<FrameTimer> timer);

    bool LoadAnimatedGIF_File(const QString& fileName);
    bool LoadAnimatedGIF_Array(const QByteArray& bytes);
    bool LoadAnimatedGIF_Array(std::span<const uint8_t> bytes);
    // Reads a local path or a file: URL after returning to the event loop, then raises
    // RemoteLoadComplete or RemoteLoadFailure. Other addresses fail: this client fetches nothing
    // over the network.
    void LoadAnimatedGIF_Remote(const QString& remotePath);
    void Refresh();
    // The picture's logical size: adjustSize() shows the picture unscaled.
    QSize sizeHint() const override;

    // The GIF bytes of the loaded picture; assigning empty bytes unloads.
    QByteArray AnimatedGIF() const { return m_bytes; }
    void setAnimatedGIF(const QByteArray& bytes);

    int FrameCount() const;
    int ActualWidth() const { return m_table.screenWidth; }
    int ActualHeight() const { return m_table.screenHeight; }
    int Stretch() const { return m_stretch; }
    void setStretch(int mode);
    int MinFrameDelay() const { return m_minFrameDelay; }
    void setMinFrameDelay(int ms);
    int loops() const { return m_loops; }
    void setLoops(int count);
    int LoopsRemaining() const;
    int Mirrored() const { return m_mirrored; }
    void setMirrored(int mode);
    int Action() const { return m_action; }
    void setAction(int command);
    int DelayAnimation() const { return m_delayAnimation; }
    void setDelayAnimation(int flags);
    int MousePointer() const { return m_mousePointer; }
    void setMousePointer(int pointer);
    QPixmap MouseIcon() const { return m_mouseIcon; }
    void setMouseIcon(const QPixmap& icon);

    // 1-based; 0 while no frame is current.
    int currentFrame() const { return m_current; }
    // 0 stopped, 1 playing, 2 paused.
    int runState() const { return m_running; }
    // The composite of the logical screen as last shown, before scaling and mirroring.
    QImage shownCanvas() const { return m_shown; }
    // What the control paints: the shown canvas mirrored and scaled to its stretch mode.
    QImage presentedImage() const;
    // Why the last load failed, when reading the file was the reason.
    std::optional<GifReadError> lastReadError() const { return m_lastError; }

    // The saved control state under its stored names ("GIF", "Stretch", "Delay", "Loops", ...).
    QVariantMap saveState() const;
    void restoreState(const QVariantMap& state);

signals:
    void Click();
    void MouseDown(int button, int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);
    void MouseMove(int button, int shift, int x, int y);
    void LoopsEnded();
    // Setting *cancel to true drops the data.
    void RemoteLoadComplete(int gifWidth, int gifHeight, bool* cancel);
    void RemoteLoadFailure();
    void reportOver(int curFrame);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    struct DecodedFrame {
        bool decoded = false;
        std::vector<uint8_t> indices;
        std::vector<uint32_t> palette;
    };

    void unload();
    bool decodeFrame(size_t index);
    bool ensureDecoded();
    void showFrame(int n);
    void onTimer();
    void play();
    void stopAndRewind();
    void startFrameTimer();
    void applyStretchSize();
    double scaleX() const;
    double scaleY() const;
    void finishRemoteLoad(const QString& remotePath);

    std::unique_ptr<FrameTimer> m_timer;
    QByteArray m_bytes;
    GifFrameTable m_table;
    std::vector<DecodedFrame> m_frames;
    bool m_pendingDecode = false;
    std::optional<GifReadError> m_lastError;

    QImage m_canvas;
    QImage m_shown;
    QImage m_savedArea;

    int m_current = 0;
    int m_loopsDone = 0;
    int m_running = 0;

    int m_stretch = 1;
    int m_minFrameDelay = 50;
    int m_loops = 0;
    int m_mirrored = 0;
    int m_action = 0;
    int m_delayAnimation = 1;
    int m_mousePointer = 0;
    QPixmap m_mouseIcon;
    bool m_pressed = false;
    // The size the control last gave itself for a picture; any other size came from the host.
    QSize m_selfSize;
};

}  // namespace vexal
