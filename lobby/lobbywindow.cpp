#include "lobby/lobbywindow.h"

#include <QTimer>

#include "model/roundstate.h"
#include "server/accounts.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <utility>
#include <variant>

namespace vexal {

namespace {
const QString kLobbyWindowTitle = QStringLiteral("Kestrel山庄");
}

QString buildLaunchString(const LobbySettings& s) {
    const QStringList fields = {s.account,
                                s.password,
                                s.host,
                                QString::number(s.port),
                                QStringLiteral("00001") + s.location,
                                QString::number(s.proxyType),
                                s.proxyHost,
                                QString::number(s.proxyPort),
                                s.proxyUser,
                                s.proxyPassword,
                                s.customTitle ? QStringLiteral("1") : QStringLiteral("0"),
                                s.lobbyTitle,
                                s.tableCaption,
                                QString::number(s.propSwitch),
                                QString::number(s.propNumber)};
    QString line;
    for (const QString& f : fields)
        line += f + QLatin1Char('$');
    return line;
}

QString tableWindowTitle(const LobbySettings& s) {
    return s.customTitle ? s.tableCaption : QStringLiteral("Vexal");
}

bool parseLobbyOptions(const QStringList& args, LobbySettings& s, LobbyStart& start, QString& error) {
    start = LobbyStart{};
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--autostart")) {
            start.autostart = true;
            continue;
        }
        if (a == QLatin1String("--quit-with-table")) {
            start.quitWithTable = true;
            continue;
        }
        if (a == QLatin1String("--reconnect-after-ms")) {
            bool ok = false;
            const int ms = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
            if (i + 1 >= args.size()) {
                error = QStringLiteral("missing value for --reconnect-after-ms");
                return false;
            }
            if (!ok || ms < 0) {
                error = QStringLiteral("not a number: --reconnect-after-ms ") + args[i + 1];
                return false;
            }
            start.reconnectAfterMs = ms;
            ++i;
            continue;
        }
        if (a == QLatin1String("--custom-title")) {
            s.customTitle = true;
            continue;
        }
        // Every option with a value, and the setting it fills.
        using Field = std::variant<QString LobbySettings::*, int LobbySettings::*>;
        static const std::pair<const char*, Field> kValued[] = {
            {"--host", &LobbySettings::host},
            {"--port", &LobbySettings::port},
            {"--account", &LobbySettings::account},
            {"--password", &LobbySettings::password},
            {"--location", &LobbySettings::location},
            {"--proxy-type", &LobbySettings::proxyType},
            {"--proxy-host", &LobbySettings::proxyHost},
            {"--proxy-port", &LobbySettings::proxyPort},
            {"--proxy-user", &LobbySettings::proxyUser},
            {"--proxy-password", &LobbySettings::proxyPassword},
            {"--lobby-title", &LobbySettings::lobbyTitle},
            {"--caption", &LobbySettings::tableCaption},
            {"--prop-switch", &LobbySettings::propSwitch},
            {"--prop-number", &LobbySettings::propNumber},
            {"--accounts", &LobbySettings::accountsFile},
            {"--reliefs-per-day", &LobbySettings::reliefsPerDay},
        };
        const auto option = std::find_if(std::begin(kValued), std::end(kValued),
                                         [&](const auto& o) { return a == QLatin1String(o.first); });
        if (option == std::end(kValued)) {
            error = QStringLiteral("unknown option ") + a;
            return false;
        }
        if (i + 1 >= args.size()) {
            error = QStringLiteral("missing value for ") + a;
            return false;
        }
        const QString v = args[++i];
        if (const auto* text = std::get_if<QString LobbySettings::*>(&option->second)) {
            s.*(*text) = v;
            continue;
        }
        bool ok = false;
        const int number = v.toInt(&ok);
        if (!ok) {
            error = QStringLiteral("not a number: ") + a + QLatin1Char(' ') + v;
            return false;
        }
        s.*std::get<int LobbySettings::*>(option->second) = number;
    }
    return true;
}

namespace {

// A warm, quiet look: a red banner, white cards on a sand background and one large orange button.
const char* const kStyle = R"(
QWidget#lobby { background: #f4ecdf; }
QLabel#banner { background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #9c2a1c, stop:1 #c8562a);
                color: white; font-size: 22px; font-weight: bold; padding: 14px 18px 2px 18px; }
QLabel#tagline { background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #9c2a1c, stop:1 #c8562a);
                 color: #ffe3c2; font-size: 12px; padding: 0px 18px 12px 18px; }
QFrame#card { background: white; border: 1px solid #e0cfb4; border-radius: 8px; }
QLabel#name { font-size: 17px; font-weight: bold; color: #3a2a1a; }
QLabel#caption { color: #8a7558; font-size: 12px; }
QLabel#coins { color: #c07000; font-size: 17px; font-weight: bold; }
QLabel#relief { color: #3a2a1a; font-size: 13px; }
QLabel#room { color: #3a2a1a; font-size: 15px; font-weight: bold; }
QLabel#server { color: #8a7558; font-size: 11px; }
QLabel#status { color: #6b5a44; font-size: 12px; }
QPushButton#enter { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffab3d, stop:1 #e8780c);
                    color: white; font-size: 18px; font-weight: bold; border: 1px solid #c0620a;
                    border-radius: 8px; padding: 10px; min-height: 28px; }
QPushButton#enter:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffbb5d, stop:1 #f08a20); }
QPushButton#enter:pressed { background: #d06a08; }
QToolButton#advanced { border: none; color: #8a7558; font-size: 12px; }
)";

QLabel* styled(const QString& text, const char* name, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

// A round badge with the account's first character, in a colour of its own.
QPixmap avatarFor(const QString& account) {
    static const QColor kColours[] = {QColor(0xc8, 0x56, 0x2a), QColor(0x2f, 0x7d, 0x5b), QColor(0x3b, 0x62, 0xa8),
                                      QColor(0x8e, 0x4a, 0x9e), QColor(0xb0, 0x8a, 0x1e)};
    const QString shown = account.isEmpty() ? QStringLiteral("?") : account.left(1).toUpper();
    size_t pick = 0;  // the same colour in every run
    for (QChar c : account)
        pick = pick * 31 + c.unicode();
    pick %= std::size(kColours);
    QPixmap pixmap(56, 56);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kColours[pick]);
    p.drawEllipse(0, 0, 56, 56);
    QFont font = p.font();
    font.setPixelSize(26);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 56, 56), Qt::AlignCenter, shown);
    return pixmap;
}

}  // namespace

LobbyWindow::LobbyWindow(const LobbySettings& s, const WindowBus& bus)
    : m_bus(bus), m_accountsFile(s.accountsFile), m_reliefsPerDay(s.reliefsPerDay) {
    setWindowTitle(kLobbyWindowTitle);
    setObjectName(QStringLiteral("lobby"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QString::fromUtf8(kStyle));

    auto* banner = styled(kLobbyWindowTitle, "banner", this);
    auto* tagline = styled(QStringLiteral("五十K · 四人两副牌 · 休闲场"), "tagline", this);

    // The player: badge, account, coins and today's reliefs.
    auto* player = new QFrame(this);
    player->setObjectName(QStringLiteral("card"));
    m_avatar = new QLabel(player);
    m_avatar->setFixedSize(56, 56);
    m_name = styled(QString(), "name", player);
    m_coins = styled(QStringLiteral("—"), "coins", player);
    m_relief = styled(QStringLiteral("—"), "relief", player);
    m_level = styled(QStringLiteral("—"), "relief", player);
    auto* facts = new QFormLayout;
    facts->setHorizontalSpacing(12);
    facts->setVerticalSpacing(4);
    facts->addRow(styled(QStringLiteral("金币"), "caption", player), m_coins);
    facts->addRow(styled(QStringLiteral("今日低保"), "caption", player), m_relief);
    facts->addRow(styled(QStringLiteral("等级"), "caption", player), m_level);
    auto* who = new QVBoxLayout;
    who->setSpacing(4);
    who->addWidget(m_name);
    who->addLayout(facts);
    auto* playerRow = new QHBoxLayout(player);
    playerRow->setContentsMargins(14, 12, 14, 12);
    playerRow->setSpacing(14);
    playerRow->addWidget(m_avatar, 0, Qt::AlignTop);
    playerRow->addLayout(who, 1);

    // The room the table opens in.
    auto* room = new QFrame(this);
    room->setObjectName(QStringLiteral("card"));
    m_room = styled(QString(), "room", room);
    m_server = styled(QString(), "server", room);
    auto* roomColumn = new QVBoxLayout(room);
    roomColumn->setContentsMargins(14, 10, 14, 10);
    roomColumn->setSpacing(2);
    roomColumn->addWidget(styled(QStringLiteral("房间"), "caption", room));
    roomColumn->addWidget(m_room);
    roomColumn->addWidget(m_server);

    m_status = styled(QString(), "status", this);
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setWordWrap(true);
    m_enter = new QPushButton(QStringLiteral("进入游戏"), this);
    m_enter->setObjectName(QStringLiteral("enter"));
    m_enter->setDefault(true);
    m_enter->setCursor(Qt::PointingHandCursor);
    connect(m_enter, &QPushButton::clicked, this, &LobbyWindow::enterGame);

    m_advancedToggle = new QToolButton(this);
    m_advancedToggle->setObjectName(QStringLiteral("advanced"));
    m_advancedToggle->setText(QStringLiteral("高级"));
    m_advancedToggle->setCheckable(true);
    m_advancedToggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_advancedToggle->setArrowType(Qt::RightArrow);
    m_advanced = buildAdvanced(s);
    m_advanced->hide();
    connect(m_advancedToggle, &QToolButton::toggled, this, [this](bool open) {
        m_advancedToggle->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
        m_advanced->setVisible(open);
    });

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 14, 16, 12);
    body->setSpacing(10);
    body->addWidget(player);
    body->addWidget(room);
    body->addSpacing(4);
    body->addWidget(m_enter);
    body->addWidget(m_status);
    body->addWidget(m_advancedToggle, 0, Qt::AlignLeft);
    body->addWidget(m_advanced);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(banner);
    layout->addWidget(tagline);
    layout->addLayout(body);
    // The window is as large as what it shows: small when 高级 is closed.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    player->setMinimumWidth(320);

    for (QLineEdit* e : {m_account, m_location, m_host})
        connect(e, &QLineEdit::textChanged, this, &LobbyWindow::showIdentity);
    connect(m_account, &QLineEdit::textChanged, this, &LobbyWindow::refreshAccount);
    connect(m_port, &QSpinBox::valueChanged, this, &LobbyWindow::showIdentity);
    showIdentity();
    showState();
    if (!m_accountsFile.isEmpty()) {
        m_accountsWatcher.addPath(QFileInfo(m_accountsFile).absolutePath());
        connect(&m_accountsWatcher, &QFileSystemWatcher::directoryChanged, this, &LobbyWindow::refreshAccount);
    }

    // With a custom title the table looks for the lobby by field 12.
    const QString title = s.customTitle && !s.lobbyTitle.isEmpty() ? s.lobbyTitle : kLobbyWindowTitle;
    m_busWindow = std::make_unique<BusWindow>(this, title, m_bus);
    if (!m_busWindow->isRegistered())
        note(m_busWindow->error());
    connect(m_busWindow.get(), &BusWindow::messageReceived, this, &LobbyWindow::received);

    m_table.setProcessChannelMode(QProcess::ForwardedChannels);
    auto ended = [this] {
        if (m_link.loginRefused())
            note(QStringLiteral("the server refused the table a seat"));
        m_link.tableEnded();
        showState();
        refreshAccount();
        emit tableFinished();
    };
    connect(&m_table, &QProcess::finished, this, [this, ended](int code, QProcess::ExitStatus status) {
        note(status == QProcess::NormalExit ? QStringLiteral("the table ended (exit code %1)").arg(code)
                                            : QStringLiteral("the table was ended from outside"));
        ended();
    });
    connect(&m_table, &QProcess::errorOccurred, this, [this, ended](QProcess::ProcessError e) {
        // A table that never started never finishes either; it has ended all the same.
        if (e != QProcess::FailedToStart)
            return;
        note(QStringLiteral("the table did not start: ") + m_table.errorString());
        ended();
    });
}

QWidget* LobbyWindow::buildAdvanced(const LobbySettings& s) {
    auto* box = new QFrame(this);
    box->setObjectName(QStringLiteral("card"));
    m_host = new QLineEdit(s.host, box);
    m_port = new QSpinBox(box);
    m_port->setRange(1, 65535);
    m_port->setValue(s.port);
    m_account = new QLineEdit(s.account, box);
    m_password = new QLineEdit(s.password, box);
    m_password->setEchoMode(QLineEdit::Password);
    m_location = new QLineEdit(s.location, box);
    m_proxyType = new QComboBox(box);
    m_proxyType->addItem(QStringLiteral("直接连接"), 0);
    m_proxyType->addItem(QStringLiteral("SOCKS5 代理"), 5);
    m_proxyType->setCurrentIndex(s.proxyType == 5 ? 1 : 0);
    m_proxyHost = new QLineEdit(s.proxyHost, box);
    m_proxyPort = new QSpinBox(box);
    m_proxyPort->setRange(0, 65535);
    m_proxyPort->setValue(s.proxyPort);
    m_proxyUser = new QLineEdit(s.proxyUser, box);
    m_proxyPassword = new QLineEdit(s.proxyPassword, box);
    m_customTitle = new QCheckBox(QStringLiteral("自定义标题"), box);
    m_customTitle->setChecked(s.customTitle);
    m_lobbyTitle = new QLineEdit(s.lobbyTitle, box);
    m_caption = new QLineEdit(s.tableCaption, box);
    m_propSwitch = new QCheckBox(QStringLiteral("允许道具插件"), box);
    m_propSwitch->setChecked(s.propSwitch == 1);
    m_propNumber = new QSpinBox(box);
    m_propNumber->setRange(0, 32767);
    m_propNumber->setValue(s.propNumber);
    m_log = new QPlainTextEdit(box);
    m_log->setReadOnly(true);
    m_log->setMinimumHeight(120);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("服务器"), m_host);
    form->addRow(QStringLiteral("端口"), m_port);
    form->addRow(QStringLiteral("帐号"), m_account);
    form->addRow(QStringLiteral("密码"), m_password);
    form->addRow(QStringLiteral("房间"), m_location);
    form->addRow(QStringLiteral("连接方式"), m_proxyType);
    form->addRow(QStringLiteral("代理服务器"), m_proxyHost);
    form->addRow(QStringLiteral("代理端口"), m_proxyPort);
    form->addRow(QStringLiteral("代理用户"), m_proxyUser);
    form->addRow(QStringLiteral("代理密码"), m_proxyPassword);
    form->addRow(m_customTitle);
    form->addRow(QStringLiteral("大厅标题"), m_lobbyTitle);
    form->addRow(QStringLiteral("桌面标题"), m_caption);
    form->addRow(m_propSwitch, m_propNumber);

    // The table's window messages, one button each, for trying the table by hand.
    auto* messages = new QHBoxLayout;
    messages->addWidget(new QLabel(QStringLiteral("发给桌子"), box));
    for (uint32_t m : {1125u, 771u, 1024u, 22u}) {
        auto* b = new QPushButton(QString::number(m), box);
        connect(b, &QPushButton::clicked, this, [this, m] { sendToTable(m); });
        messages->addWidget(b);
    }
    m_reconnect = new QPushButton(QStringLiteral("重新连接"), box);
    m_reconnect->setToolTip(QStringLiteral("让桌子重新连接服务器，回到原来的座位"));
    connect(m_reconnect, &QPushButton::clicked, this, &LobbyWindow::reconnectTable);
    messages->addWidget(m_reconnect);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(12, 10, 12, 10);
    column->addLayout(form);
    column->addLayout(messages);
    column->addWidget(m_log);
    return box;
}

LobbyWindow::~LobbyWindow() {
    // The table goes on by itself when the lobby closes.
    if (m_table.state() != QProcess::NotRunning)
        m_table.waitForFinished(0);
}

LobbySettings LobbyWindow::settings() const {
    LobbySettings s;
    s.host = m_host->text();
    s.port = m_port->value();
    s.account = m_account->text();
    s.password = m_password->text();
    s.location = m_location->text();
    s.proxyType = m_proxyType->currentData().toInt();
    s.proxyHost = m_proxyHost->text();
    s.proxyPort = m_proxyPort->value();
    s.proxyUser = m_proxyUser->text();
    s.proxyPassword = m_proxyPassword->text();
    s.customTitle = m_customTitle->isChecked();
    s.lobbyTitle = m_lobbyTitle->text();
    s.tableCaption = m_caption->text();
    s.propSwitch = m_propSwitch->isChecked() ? 1 : 0;
    s.propNumber = m_propNumber->value();
    s.accountsFile = m_accountsFile;
    s.reliefsPerDay = m_reliefsPerDay;
    return s;
}

void LobbyWindow::enterGame() {
    // The table may have ended a moment ago without the lobby hearing of it yet.
    if (m_table.state() == QProcess::NotRunning && m_link.state() != TableState::None)
        m_link.tableEnded();
    switch (m_link.enterGame()) {
    case EnterAction::StartTable:
        note(QStringLiteral("enter game: a new table"));
        startTable();
        break;
    case EnterAction::Reenter:
        note(QStringLiteral("enter game: back to the table"));
        m_bus.postMessage(tableWindowTitle(settings()), kWmSysCommand, kScRestore);
        sendToTable(22);
        break;
    case EnterAction::ShowTable:
        note(QStringLiteral("enter game: the table is on its way or playing; shown"));
        m_bus.postMessage(tableWindowTitle(settings()), kWmSysCommand, kScRestore);
        break;
    }
    showState();
}

void LobbyWindow::startTable() {
    if (m_table.state() != QProcess::NotRunning) {
        note(QStringLiteral("the table is running already"));
        return;
    }
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/vexal");
    const QString line = buildLaunchString(settings());
    note(QStringLiteral("start ") + program);
    m_link.tableStarted();
    showState();
    m_table.start(program, {line});
}

void LobbyWindow::sendToTable(uint32_t message) {
    const QString title = tableWindowTitle(settings());
    const bool sent = m_bus.postMessage(title, message);
    if (sent)
        m_link.sent(message);
    note(QStringLiteral("sent %1%2").arg(message).arg(sent ? QString() : QStringLiteral(" (no table window)")));
    showState();
}

void LobbyWindow::reconnectTable() {
    note(QStringLiteral("reconnect: the table is asked to rejoin its seat"));
    sendToTable(22);
}

void LobbyWindow::received(const WindowMessage& m) {
    if (m.msg == kWmSysCommand)
        note(QStringLiteral("received system command %1").arg(m.wParam, 0, 16));
    else
        note(QStringLiteral("received %1").arg(m.msg));
    if (m.msg == kLobbyEnterGame) {
        enterGame();
        return;
    }
    m_link.received(m.msg, m.wParam);
    showState();
    // A deal follows the last round's settlement, which the server has written by then.
    if (m.msg == 1127) {
        refreshAccount();
        if (m_reconnectAfterMs >= 0) {
            QTimer::singleShot(m_reconnectAfterMs, this, &LobbyWindow::reconnectTable);
            m_reconnectAfterMs = -1;
        }
    }
}

void LobbyWindow::refreshAccount() {
    const int32_t today = server::localDate(std::chrono::system_clock::now());
    const AccountView view =
        readAccountView(m_accountsFile.toStdString(), m_account->text().toStdString(), today, m_reliefsPerDay);
    const QString none = QStringLiteral("—");
    switch (view.status) {
    case AccountView::Status::Known:
        m_coins->setText(QLocale(QLocale::Chinese, QLocale::China).toString(static_cast<qlonglong>(view.coins)));
        m_relief->setText(view.reliefLeft > 0 ? QStringLiteral("还可领 %1 次").arg(view.reliefLeft)
                                              : QStringLiteral("今日已领完"));
        m_coins->setToolTip(QString());
        // As the table shows it: the level title on the level label, the rank before the name.
        m_level->setText(QStringLiteral("%1 · %2　%3胜 %4负")
                             .arg(QString::fromStdString(levelTitle(view.level)),
                                  QString::fromUtf8(server::rankOfLevel(view.level)))
                             .arg(view.wins)
                             .arg(view.losses));
        break;
    case AccountView::Status::Unreadable:
        note(QStringLiteral("cannot read %1: %2").arg(m_accountsFile, QString::fromStdString(view.problem)));
        m_coins->setText(none);
        m_relief->setText(none);
        m_level->setText(none);
        m_coins->setToolTip(QStringLiteral("帐户文件读不出"));
        break;
    case AccountView::Status::NoFile:
    case AccountView::Status::Unknown:
        // Not played yet on this server: the server starts the account with its own coins.
        m_coins->setText(none);
        m_relief->setText(none);
        m_level->setText(none);
        m_coins->setToolTip(QStringLiteral("还没有这个帐户的记录"));
        break;
    }
}

void LobbyWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshAccount();
}

void LobbyWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !(windowState() & Qt::WindowMinimized))
        refreshAccount();
}

void LobbyWindow::showIdentity() {
    const QString account = m_account->text();
    m_name->setText(account.isEmpty() ? QStringLiteral("(未设帐号)") : account);
    m_avatar->setPixmap(avatarFor(account));
    m_room->setText(m_location->text());
    m_server->setText(QStringLiteral("服务器 %1:%2").arg(m_host->text()).arg(m_port->value()));
}

void LobbyWindow::showState() {
    // A refused seat closes its table; what the player needs then is when to try again.
    const bool refused = m_link.state() == TableState::None && m_link.loginRefused();
    m_status->setText(QString::fromUtf8(refused ? kSeatRefusedText : tableStateText(m_link.state())));
    // Only a running table has a seat to go back to.
    m_reconnect->setEnabled(m_link.state() != TableState::None);
}

void LobbyWindow::note(const QString& line) {
    m_log->appendPlainText(line);
    const QByteArray out = "lobby: " + line.toUtf8() + "\n";
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
    std::fflush(stdout);
}

}  // namespace vexal
