// What any Qt Widgets program costs on this machine, for reading the client's figures against:
// a plain window the table's size holding 200 text labels, with the same
// "shown:" trace line as the client at its first paint. bench/figures starts it like the client
// and reads its start-up and resident memory the same way.
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QWidget>

#include <cstdio>

namespace {

class Window : public QWidget {
protected:
    void paintEvent(QPaintEvent* event) override {
        QWidget::paintEvent(event);
        if (m_shown)
            return;
        m_shown = true;
        std::printf("trace: shown: %lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
        std::fflush(stdout);
    }

private:
    bool m_shown = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Window window;
    for (int i = 0; i < 200; ++i) {
        auto* label = new QLabel(QStringLiteral("标签 %1").arg(i), &window);
        label->move((i % 10) * 100, (i / 10) * 38);
    }
    window.resize(1040, 796);
    window.show();
    return app.exec();
}
