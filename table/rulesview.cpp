#include "table/rulesview.h"

#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

#include "table/mainform.h"

// The page lives in the static library vexal_rules_page; calling its initialiser from here makes
// the linker keep it wherever the rules window is.
static void initRulesResources() {
    Q_INIT_RESOURCE(vexal_rules);
}

namespace vexal {

namespace {

// The top of the own hand's area in table units: the play and calling buttons start at 506, the
// hand and the own clock below them.
constexpr double kOwnAreaTop = 500;

}  // namespace

QUrl rulesPageAddress(const std::string& host) {
    // The operator's web host is not part of the table; the page is asked of the game server's host.
    return QUrl(QStringLiteral("http://%1/gameinfo/vxwsk/index.php").arg(QString::fromStdString(host)));
}

QString shippedRulesPage() {
    static const bool registered = (initRulesResources(), true);
    (void)registered;
    QFile file(QStringLiteral(":/rules/rules.md"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

RulesWindow::RulesWindow(QWidget* parent) : QWidget(parent) {
    // Like the table's other secondary windows, but opaque: it is read, not glanced at.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(250, 244, 226));
    setPalette(p);
    setWindowTitle(QStringLiteral("游戏规则"));

    auto* title = new QLabel(QStringLiteral("游戏规则"), this);
    title->setStyleSheet(QStringLiteral("font-weight: bold;"));
    close = new QPushButton(QStringLiteral("关闭"), this);
    page = new QTextBrowser(this);
    page->setOpenLinks(false);
    page->setContextMenuPolicy(Qt::NoContextMenu);
    page->setMarkdown(shippedRulesPage());

    auto* top = new QHBoxLayout;
    top->addWidget(title);
    top->addStretch();
    top->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->addLayout(top);
    layout->addWidget(page);
}

RulesView::RulesView(MainForm& form, Opener openInBrowser)
    : m_form(form), m_open(std::move(openInBrowser)), m_window(new RulesWindow(&form)) {
    m_window->hide();
    connect(m_window->close, &QPushButton::clicked, this, &RulesView::hideWindow);
    // Like the chat's windows, it goes with the table when the table is minimised or dragged.
    connect(&form, &MainForm::dragStarted, this, &RulesView::hideWindow);
    form.installEventFilter(this);
}

RulesView::~RulesView() {
    m_form.removeEventFilter(this);
}

QRectF RulesView::area() {
    return QRectF(132, 40, 760, kOwnAreaTop - 8 - 40);
}

void RulesView::rulesPressed(const QUrl& page) {
    if (m_window->isVisible()) {
        hideWindow();
        return;
    }
    if (m_open && m_open(page))
        return;
    place();
    m_window->show();
    m_window->raise();
}

void RulesView::hideWindow() {
    m_window->hide();
}

void RulesView::place() {
    const QRectF a = area();
    const QRect r = m_form.units(a.left(), a.top(), a.width(), a.height());
    m_window->setGeometry(QRect(m_form.Pic1->mapToGlobal(r.topLeft()), r.size()));
}

bool RulesView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_form && event->type() == QEvent::WindowStateChange &&
        (m_form.windowState() & Qt::WindowMinimized))
        hideWindow();
    return QObject::eventFilter(watched, event);
}

}  // namespace vexal
