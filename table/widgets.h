// Small widgets of the table window: picture buttons and the frame images.
#pragma once

#include <QLabel>
#include <QPixmap>

namespace vexal {

// A picture that acts as a button. Without artwork it shows its caption so it stays usable.
class PictureButton : public QLabel {
    Q_OBJECT
public:
    explicit PictureButton(const QString& caption, QWidget* parent = nullptr);
    void showPicture(const QPixmap& picture);
    const QString& caption() const { return m_caption; }
    void setCaption(const QString& caption) { m_caption = caption; }

signals:
    void clicked();
    void entered();
    void pressed();
    void released();
    void moved();
    void left();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString m_caption;
};

}  // namespace vexal
